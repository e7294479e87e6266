#include "BookmarksHtml.h"

#include "EntryText.h"

#include <QStringList>

namespace quillmoor {

namespace {

    constexpr QLatin1StringView kDoctype("<!DOCTYPE NETSCAPE-Bookmark-file-1>");

    // The character an entity's name or number stands for; nothing when it
    // is no entity known here (it then stays as written).
    std::optional<char32_t> entity(QStringView name)
    {
        if (name.startsWith(u'#')) {
            bool ok = false;
            const bool hex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
            const uint code = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
            if (!ok || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return ok ? std::optional<char32_t>(U'\uFFFD') : std::nullopt;
            return char32_t(code);
        }
        static const std::pair<QLatin1StringView, char32_t> named[]
            = { { QLatin1StringView("amp"), U'&' }, { QLatin1StringView("lt"), U'<' },
                  { QLatin1StringView("gt"), U'>' }, { QLatin1StringView("quot"), U'"' },
                  { QLatin1StringView("apos"), U'\'' }, { QLatin1StringView("nbsp"), U'\u00A0' } };
        for (const auto& [known, c] : named)
            if (name == known)
                return c;
        return std::nullopt;
    }

    // `text` with its entities decoded and the controls they make dropped.
    QString decoded(QStringView text)
    {
        QString out;
        out.reserve(text.size());
        qsizetype i = 0;
        while (i < text.size()) {
            const qsizetype amp = text.indexOf(u'&', i);
            const qsizetype semi = amp < 0 ? -1 : text.indexOf(u';', amp);
            if (amp < 0 || semi < 0) {
                out += text.mid(i);
                break;
            }
            out += text.mid(i, amp - i);
            const std::optional<char32_t> c = semi - amp <= 10 ? entity(text.mid(amp + 1, semi - amp - 1)) : std::nullopt;
            if (!c) {
                out += u'&';
                i = amp + 1;
                continue;
            }
            if (*c > 0xFFFF || !isEntryControl(char16_t(*c)))
                out += QString::fromUcs4(&*c, 1);
            i = semi + 1;
        }
        return out;
    }

    // Where the tag that opens at `lt` ends (its '>'), quoted values passed
    // over; -1 when the file ends first.
    qsizetype tagEnd(QStringView html, qsizetype lt)
    {
        QChar quote;
        for (qsizetype i = lt + 1; i < html.size(); ++i) {
            const QChar c = html[i];
            if (!quote.isNull())
                quote = c == quote ? QChar() : quote;
            else if (c == u'"' || c == u'\'')
                quote = c;
            else if (c == u'>')
                return i;
        }
        return -1;
    }

    // The value of attribute `name` in a tag's attributes, decoded.
    QString attribute(QStringView attributes, QLatin1StringView name)
    {
        qsizetype i = 0;
        while (i < attributes.size()) {
            while (i < attributes.size() && (attributes[i].isSpace() || attributes[i] == u'/'))
                ++i;
            const qsizetype start = i;
            while (i < attributes.size() && !attributes[i].isSpace() && attributes[i] != u'=')
                ++i;
            const QStringView key = attributes.mid(start, i - start);
            while (i < attributes.size() && attributes[i].isSpace())
                ++i;
            QStringView value;
            if (i < attributes.size() && attributes[i] == u'=') {
                ++i;
                while (i < attributes.size() && attributes[i].isSpace())
                    ++i;
                const QChar quote = i < attributes.size() ? attributes[i] : QChar();
                const bool quoted = quote == u'"' || quote == u'\'';
                const qsizetype from = i + (quoted ? 1 : 0);
                qsizetype to = from;
                while (to < attributes.size() && (quoted ? attributes[to] != quote : !attributes[to].isSpace()))
                    ++to;
                value = attributes.mid(from, to - from);
                i = to + (quoted ? 1 : 0);
            }
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return decoded(value).trimmed();
            if (start == i)
                ++i;
        }
        return QString();
    }

    // The text from `from` to the next tag, decoded, its blanks made one.
    QString textUpToTag(QStringView html, qsizetype from)
    {
        const qsizetype next = html.indexOf(u'<', from);
        return decoded(html.mid(from, next < 0 ? -1 : next - from)).simplified();
    }

    QString escaped(const QString& text) { return text.toHtmlEscaped(); }

} // namespace

bool isBookmarksFileName(const QString& path)
{
    return path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)
        || path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive);
}

namespace {
    // Whether `start`, past a byte-order mark and blanks, begins with
    // `text` in any letter case.
    bool beginsWith(QByteArrayView start, QLatin1StringView text)
    {
        if (start.startsWith("\xEF\xBB\xBF"))
            start = start.sliced(3);
        while (!start.isEmpty() && QChar::isSpace(uchar(start.front())))
            start = start.sliced(1);
        return start.size() >= text.size()
            && QLatin1StringView(start.first(text.size())).compare(text, Qt::CaseInsensitive) == 0;
    }
} // namespace

bool looksLikeBookmarks(QByteArrayView start) { return beginsWith(start, kDoctype); }

bool looksLikeWebPage(QByteArrayView start)
{
    return beginsWith(start, QLatin1StringView("<!DOCTYPE html")) || beginsWith(start, QLatin1StringView("<html"));
}

QByteArray bookmarksCharset(QByteArrayView bytes)
{
    // The META stands in the head, before any bookmark.
    const QByteArray head = bytes.first(qMin<qsizetype>(bytes.size(), 4096)).toByteArray().toLower();
    const qsizetype at = head.indexOf("charset=");
    if (at < 0)
        return QByteArray();
    qsizetype end = at + 8;
    while (end < head.size() && (QChar::isLetterOrNumber(uchar(head[end])) || QByteArrayView("-_.:").contains(head[end])))
        ++end;
    return head.mid(at + 8, end - at - 8);
}

QList<Bookmark> readBookmarks(QStringView html)
{
    QList<Bookmark> links;
    forEachBookmark(html, [&](Bookmark&& link) { links << std::move(link); });
    return links;
}

void forEachBookmark(QStringView html, const std::function<void(Bookmark&& link)>& take)
{
    // The folders the reading is in: a `<DL>` without a name before it (the
    // file's own) is in the folder around it.
    QStringList folders;
    std::optional<QString> named;
    qsizetype i = 0;
    while (i < html.size()) {
        const qsizetype lt = html.indexOf(u'<', i);
        if (lt < 0)
            break;
        if (html.mid(lt, 4) == u"<!--") {
            const qsizetype end = html.indexOf(u"-->", lt + 4);
            i = end < 0 ? html.size() : end + 3;
            continue;
        }
        const qsizetype gt = tagEnd(html, lt);
        if (gt < 0)
            break;
        const QStringView tag = html.mid(lt + 1, gt - lt - 1);
        qsizetype nameEnd = tag.startsWith(u'/') ? 1 : 0;
        while (nameEnd < tag.size() && !tag[nameEnd].isSpace() && tag[nameEnd] != u'/')
            ++nameEnd;
        const QString name = tag.first(nameEnd).toString().toLower();
        const QStringView attributes = tag.mid(nameEnd);
        if (name == u"h3") {
            const bool browsers = !attribute(attributes, QLatin1StringView("PERSONAL_TOOLBAR_FOLDER")).isEmpty()
                || !attribute(attributes, QLatin1StringView("UNFILED_BOOKMARKS_FOLDER")).isEmpty();
            named = browsers ? QString() : textUpToTag(html, gt + 1);
        } else if (name == u"dl") {
            folders << (named ? *named : folders.isEmpty() ? QString() : folders.last());
            named.reset();
        } else if (name == u"/dl" && !folders.isEmpty()) {
            folders.removeLast();
        } else if (name == u"a") {
            take(Bookmark { folders.isEmpty() ? QString() : folders.last(),
                attribute(attributes, QLatin1StringView("HREF")), textUpToTag(html, gt + 1) });
        }
        i = gt + 1;
    }
}

QByteArray bookmarksFileBytes(const QList<BookmarkFolder>& folders)
{
    QString html = kDoctype + QLatin1String("\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
                                             "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n"
                                             "<DL><p>\n");
    for (const BookmarkFolder& folder : folders) {
        html += QLatin1String("    <DT><H3>") + escaped(folder.name) + QLatin1String("</H3>\n    <DL><p>\n");
        for (const Bookmark& link : folder.links)
            html += QLatin1String("        <DT><A HREF=\"") + escaped(link.address) + QLatin1String("\">")
                + escaped(link.title) + QLatin1String("</A>\n");
        html += QLatin1String("    </DL><p>\n");
    }
    html += QLatin1String("</DL><p>\n");
    return html.toUtf8();
}

} // namespace quillmoor
