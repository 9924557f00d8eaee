#include "TextTable.h"

#include "TextTableData.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <atomic>

namespace {

using Language = TextTable::Language;

std::atomic<Language> &currentLanguage()
{
    // Initialised on first use, not at static-initialisation time, so that
    // the system locale is read after the application has started.
    static std::atomic<Language> language{TextTable::systemLanguage()};
    return language;
}

const TextTableData::Entry *findEntry(int id)
{
    const auto entries = TextTableData::entries();
    const auto it = std::ranges::lower_bound(entries, id, {}, &TextTableData::Entry::id);
    return it != entries.end() && it->id == id ? &*it : nullptr;
}

void warnMissingOnce(int id)
{
    static QMutex mutex;
    static QSet<int> warned;
    QMutexLocker locker(&mutex);
    if (warned.contains(id))
        return;
    warned.insert(id);
    locker.unlock();
    qWarning("TextTable: no text with id %d", id);
}

QString toString(QStringView text)
{
    // The texts live in static storage for the life of the process, so the
    // string can share them instead of copying.
    return QString::fromRawData(text.data(), text.size());
}

} // namespace

QString TextTable::LoadText(int id)
{
    return LoadText(id, language());
}

QString TextTable::LoadText(int id, Language language)
{
    const TextTableData::Entry *entry = findEntry(id);
    if (!entry) {
        warnMissingOnce(id);
        return {};
    }
    QStringView text;
    switch (language) {
    case Language::German:
        text = entry->german;
        break;
    case Language::Russian:
        text = entry->russian;
        break;
    case Language::English:
        break;
    }
    return toString(text.isNull() ? entry->english : text);
}

bool TextTable::hasText(int id)
{
    return findEntry(id) != nullptr;
}

TextTable::Language TextTable::language()
{
    return currentLanguage().load(std::memory_order_relaxed);
}

void TextTable::setLanguage(Language language)
{
    switch (language) {
    case Language::English:
    case Language::German:
    case Language::Russian:
        currentLanguage().store(language, std::memory_order_relaxed);
        return;
    }
    // A value cast from an integer that is no language of the table would
    // leave LoadText() with nothing but English anyway; keep the language the
    // user had rather than switching silently.
    qWarning("TextTable: ignoring unknown language %d", static_cast<int>(language));
}

TextTable::Language TextTable::languageFromLocale(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Russian:
        return Language::Russian;
    case QLocale::German:
        return Language::German;
    default:
        return Language::English;
    }
}

std::optional<TextTable::Language> TextTable::languageFromCode(QStringView code)
{
    if (code.compare(u"en", Qt::CaseInsensitive) == 0)
        return Language::English;
    if (code.compare(u"de", Qt::CaseInsensitive) == 0)
        return Language::German;
    if (code.compare(u"ru", Qt::CaseInsensitive) == 0)
        return Language::Russian;
    return std::nullopt;
}

TextTable::Language TextTable::systemLanguage()
{
    const QLocale system = QLocale::system();
    const QStringList uiLanguages = system.uiLanguages();
    if (uiLanguages.isEmpty())
        return languageFromLocale(system);
    return languageFromLocale(QLocale(uiLanguages.constFirst()));
}
