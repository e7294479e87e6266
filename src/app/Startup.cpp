#include "Startup.h"

#include "Failure.h"
#include "Form1.h"
#include "Platform.h"
#include "SkinFramework.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QtEndian>

// The icons are compiled into this static library; the linker keeps them
// only when something refers to them.
static void initIconResources() { Q_INIT_RESOURCE(icons); }

namespace quillmoor {

namespace {

    // Free functions have no class to lend their texts a translation context.
    class Startup {
        Q_DECLARE_TR_FUNCTIONS(Startup)
    };

} // namespace

bool FileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).lastModified().isValid(); }

void ApplySkin(Form1& form, SkinFramework& skin, const QString& applicationFolder)
{
    const QString path = applicationFolder + QStringLiteral("/x/o.cjs");
    const QFileInfo info(path);
    if (!info.isFile() || info.isHidden())
        return;

    form.useButtonFaceBackground();

    skin.loadSkin(path, QString());
    skin.setOptions(skin.options() | SkinFramework::RejectInvalidSkin);
    skin.setEnabled(true);
    skin.setSkinDialogs(true);
    skin.applyWindow(&form);
}

void ShowHomePageAtRandom(Platform& platform)
{
    if (platform.drawLottery() == 7)
        platform.openUrl(kHomePage, QStringLiteral("Form_Load"), 108);
}

QString shortenTitle(const QString& name)
{
    QString title = name;
    do {
        const qsizetype blank = title.lastIndexOf(u' ');
        if (blank < 0) {
            title.truncate(40);
            break;
        }
        title.truncate(blank);
    } while (title.size() > 40);
    return title;
}

void SetApplicationTitle()
{
    // The name the desktop lists the program by. The display name is left
    // unset: Qt would append it to every window caption.
    QCoreApplication::setApplicationName(shortenTitle(kProductName));
}

PointerImage readPointerImage(const QByteArray& bytes)
{
    // A cursor file starts with the words 0 and 2; an icon (1) has no hot spot.
    if (bytes.size() < 14 || qFromLittleEndian<quint16>(bytes.constData()) != 0
        || qFromLittleEndian<quint16>(bytes.constData() + 2) != 2)
        throw Failure(QString());
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    // A pointer image is at most 256 by 256 pixels; a header that claims
    // more must not make the reader ask for the memory it names.
    reader.setAllocationLimit(kLargestPointerImageMiB);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > 256 || size.height() > 256))
        throw Failure(QString());
    PointerImage pointer;
    pointer.image = reader.read();
    if (pointer.image.isNull() || pointer.image.width() > 256 || pointer.image.height() > 256)
        throw Failure(QString());
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    pointer.hotSpot = QPoint(qMin(hotX, pointer.image.width() - 1), qMin(hotY, pointer.image.height() - 1));
    return pointer;
}

void loadMouseIcon(Form1& form, const QString& path)
{
    const auto notAPointer
        = [&] { return Failure(Startup::tr("The pointer file \"%1\" is not a pointer image.").arg(path)); };
    // Opening a pipe of that name would wait for a writer forever.
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kLargestPointerFile)
        throw notAPointer();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(Startup::tr("The pointer file \"%1\" could not be read: %2.").arg(path, file.errorString()));
    PointerImage pointer;
    try {
        pointer = readPointerImage(file.read(kLargestPointerFile + 1));
    } catch (const Failure&) {
        throw notAPointer();
    }
    form.setMouseIcon(QCursor(QPixmap::fromImage(pointer.image), pointer.hotSpot.x(), pointer.hotSpot.y()));
}

QIcon applicationIcon()
{
    initIconResources();
    QIcon icon;
    for (int size : { 32, 48, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/quillmoor-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace quillmoor
