#include "PageQueries.h"

#include <algorithm>

namespace quillmoor {

namespace {

    const QString kSite = QStringLiteral(" site:");

    // Words are what blanks separate, as engines count them.
    qsizetype wordCount(const QString& text)
    {
        qsizetype words = 0;
        bool inWord = false;
        for (const QChar c : text) {
            words += !c.isSpace() && !inWord;
            inWord = !c.isSpace();
        }
        return words;
    }

    // How many of `hosts` from `first` on fit one query after `text`.
    qsizetype fitting(const QString& text, const QStringList& hosts, qsizetype first, int wordLimit, int charLimit)
    {
        const qsizetype textWords = wordCount(text);
        // "text (" and ")"
        qsizetype chars = text.size() + 3;
        qsizetype count = 0;
        for (qsizetype i = first; i < hosts.size(); ++i) {
            const qsizetype words = textWords + 2 * (count + 1) - 1;
            chars += (count > 0 ? 4 : 0) + 5 + hosts[i].size(); // " OR " and "site:host"
            if ((wordLimit > 0 && words > wordLimit) || (charLimit > 0 && chars > charLimit))
                break;
            ++count;
        }
        return count;
    }

    QString combined(const QString& text, const QStringList& hosts)
    {
        QStringList sites;
        for (const QString& host : hosts)
            sites << QStringLiteral("site:") + host;
        return text + QStringLiteral(" (") + sites.join(QStringLiteral(" OR ")) + u')';
    }

} // namespace

std::optional<SiteSearch> splitEntry(const QString& entry)
{
    const qsizetype at = entry.lastIndexOf(kSite);
    if (at < 0)
        return std::nullopt;
    SiteSearch split { entry.left(at), entry.mid(at + kSite.size()) };
    if (split.host.isEmpty() || std::any_of(split.host.begin(), split.host.end(), [](QChar c) { return c.isSpace(); }))
        return std::nullopt;
    return split;
}

QStringList pageQueries(const QStringList& entries, int wordLimit, int charLimit)
{
    QStringList queries;
    qsizetype i = 0;
    while (i < entries.size()) {
        const std::optional<SiteSearch> first = splitEntry(entries[i]);
        if (!first) {
            queries << entries[i++];
            continue;
        }
        // The run of neighbours searching for the same text.
        QStringList hosts { first->host };
        qsizetype end = i + 1;
        for (; end < entries.size(); ++end) {
            const std::optional<SiteSearch> next = splitEntry(entries[end]);
            if (!next || next->text != first->text)
                break;
            hosts << next->host;
        }
        for (qsizetype k = 0; k < hosts.size();) {
            const qsizetype count = fitting(first->text, hosts, k, wordLimit, charLimit);
            if (count < 2) {
                queries << entries[i + k++];
            } else {
                queries << combined(first->text, hosts.mid(k, count));
                k += count;
            }
        }
        i = end;
    }
    return queries;
}

QList<QStringList> pageEntries(const QStringList& pages, const QStringList& entries)
{
    QList<QStringList> covered;
    covered.reserve(pages.size());
    qsizetype next = 0;
    for (const QString& page : pages) {
        QStringList these;
        if (next < entries.size() && page == entries.at(next)) {
            these << entries.at(next++);
        } else if (const auto first = next < entries.size() ? splitEntry(entries.at(next)) : std::nullopt) {
            // A shared page: the neighbours with the same text whose sites
            // it names, each followed by " OR " or the closing bracket.
            while (next < entries.size()) {
                const auto site = splitEntry(entries.at(next));
                if (!site || site->text != first->text
                    || (!page.contains(QStringLiteral("site:") + site->host + QStringLiteral(" OR "))
                        && !page.contains(QStringLiteral("site:") + site->host + u')')))
                    break;
                these << entries.at(next++);
            }
        }
        // Never out of step: a page that names none takes the next entry.
        if (these.isEmpty() && next < entries.size())
            these << entries.at(next++);
        covered << these;
    }
    return covered;
}

} // namespace quillmoor
