#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <optional>

/// The control's user-visible texts, looked up by numeric id in the current
/// user-interface language.
///
/// The table holds the same ids in English, German and Russian. The language
/// starts as the one the process locale asks for (languageFromLocale() of the
/// system locale's first user-interface language) and can be changed at any
/// time by the host or a command-line option through setLanguage(); the change
/// applies to every later LoadText() call, texts already handed out are not
/// updated.
///
/// Texts are returned exactly as stored, leading and trailing blanks included:
/// callers join some of them with other values ("Name " + name + " reserved!").
///
/// All members are static and safe to call from any thread.
class TextTable final
{
public:
    /// The languages of the table, valued as their Windows language ids so
    /// that stored settings and hosts that speak in those ids map directly.
    enum class Language : int {
        English = 1033,
        German = 1031,
        Russian = 1049,
    };

    TextTable() = delete;

    /// The text of `id` in the current language. An id that is not in the
    /// table gives an empty string and one warning per id for the life of the
    /// process (a missing text is a programming fault, but must not flood the
    /// log from a paint or mouse-move handler).
    static QString LoadText(int id);

    /// The text of `id` in `language`, regardless of the current language.
    /// Unknown ids behave as in LoadText(int).
    static QString LoadText(int id, Language language);

    /// Whether the table has a text with this id (in every language: the
    /// languages share one set of ids). Never warns.
    static bool hasText(int id);

    /// The current user-interface language.
    static Language language();
    static void setLanguage(Language language);

    /// Russian for a Russian locale, German for a German one, English for
    /// every other locale (the table has no other languages, and English is
    /// what the texts were written in).
    static Language languageFromLocale(const QLocale &locale);

    /// The language of a short code as given on a command line: "en", "de"
    /// or "ru", in any letter case. Anything else is no language.
    static std::optional<Language> languageFromCode(QStringView code);

    /// The language the process locale asks for. Uses the first of the system
    /// locale's user-interface languages (on Unix from LANGUAGE, LC_ALL,
    /// LC_MESSAGES or LANG), because the texts are messages, not number or
    /// date formats; falls back to the system locale itself when the list is
    /// empty.
    static Language systemLanguage();
};
