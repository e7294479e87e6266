#include "Startup.h"

#include "Application.h"
#include "Failure.h"
#include "Form1.h"
#include "OwnList.h"
#include "Platform.h"
#include "PointerImage.h"
#include "Process.h"
#include "SavedList.h"
#include "SettingsKeys.h"
#include "SkinFramework.h"
#include "Trap.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QResource>
#include <QThread>
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

    skin.loadSkin(path);
    skin.setOptions(skin.options() | SkinFramework::RejectInvalidSkin);
    skin.setEnabled(true);
    skin.setSkinDialogs(true);
    skin.applyWindow(&form);
}

void ShowHomePageAtRandom(Platform& platform, Trap& trap)
{
    if (platform.drawLottery() == 7)
        trap.openUrl(kHomePage);
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

namespace {

    // One size of the icon, as made when the program was built (see
    // data/icons/icon_pixels.cpp); a null image when the resource is not
    // such pixels.
    QImage iconImage(int size)
    {
        const QResource resource(QStringLiteral(":/icons/quillmoor-%1.pixels").arg(size));
        const QByteArray bytes = resource.uncompressedData();
        constexpr qsizetype kHead = 16;
        if (bytes.size() < kHead || !bytes.startsWith("QMPX"))
            return QImage();
        const auto number = [&](qsizetype at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
        const auto format = QImage::Format(number(4));
        if ((format != QImage::Format_RGB32 && format != QImage::Format_ARGB32_Premultiplied)
            || number(8) != quint32(size) || number(12) != quint32(size)
            || bytes.size() != kHead + qsizetype(size) * size * 4)
            return QImage();
        return QImage(reinterpret_cast<const uchar*>(bytes.constData() + kHead), size, size, size * 4, format).copy();
    }

} // namespace

QIcon applicationIcon()
{
    initIconResources();
    QIcon icon;
    for (int size : { 32, 48, 128, 256 }) {
        const QImage image = iconImage(size);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

StartupReads::StartupReads(const QString& cityListPath, const QString& settingsFile, const QStringList& settingsKeys)
    : cities(cityListPath, [cityListPath] { return LocationFile::readWhole(cityListPath); })
    , settingsFile_(settingsFile)
    , settingsKeys_(settingsKeys)
    , settings_(settingsFile, [settingsFile, settingsKeys]() -> std::optional<SettingsRead> {
        std::optional<StoredTexts> stored = GetWholeSettings(settingsFile, settings::kSection, settingsKeys);
        if (!stored)
            return std::nullopt;
        QStringList entries = StoredPieces(stored->values.value(settings::kSearches)).entries();
        return SettingsRead { std::move(*stored), std::move(entries) };
    })
{
}

std::unique_ptr<StartupReads> StartupReads::of(const Platform& platform)
{
    return std::make_unique<StartupReads>(chosenListPath(platform.userDataFolder, platform.applicationFolder),
        platform.settingsFile, Application::keysReadAtStart());
}

std::unique_ptr<StartupReads> StartupReads::ofThisProgram()
{
    // Qt takes the first thread that asks for its own to be the program's
    // main thread: this one asks before a read begins on another.
    QThread::currentThread();
    const QString folder = os::runningExecutableFolder();
    if (folder.isEmpty())
        return nullptr;
    return std::make_unique<StartupReads>(
        chosenListPath(userDataFolder(), folder), userSettingsFile(), Application::keysReadAtStart());
}

StoredTexts StartupReads::settings()
{
    // Not whole, unreadable or changed (a close's rescued list taken back
    // into it, say): read where a report and a copy aside can be made.
    if (std::optional<std::optional<SettingsRead>> ahead = settings_.take(settingsFile_); ahead && *ahead) {
        settingsRead_ = std::move(**ahead);
        return settingsRead_->stored;
    }
    return GetSettings(settingsFile_, settings::kSection, settingsKeys_);
}

QStringList StartupReads::entriesOf(const QString& value)
{
    // The same text, not merely an equal one: comparing a long list's text
    // would cost what the entries saved.
    const QString ahead = settingsRead_ ? settingsRead_->stored.values.value(settings::kSearches) : QString();
    if (!value.isEmpty() && value.constData() == ahead.constData() && value.size() == ahead.size())
        return std::exchange(settingsRead_, std::nullopt)->entries;
    return StoredPieces(value).entries();
}

} // namespace quillmoor
