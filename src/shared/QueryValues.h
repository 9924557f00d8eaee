#pragma once

#include "marvolt_export.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

#include <optional>
#include <span>

/// Every filter field a report has: the query the user edits in the filter
/// panel. A report keeps two of them, the working query and the committed one
/// (the query that produced the data shown); committing is `committed =
/// working` and undo is `working = committed`.
///
/// Dates are held in both forms the panel works with: a date bound (ValDate,
/// EndDate, ValDate1, EndDate1: a QDate, or the text "All" for no bound) and
/// its day offset from today (ValLong ...: an int, or "All"). Lists hold
/// ("All") for no restriction; an empty list means the same. The identifier
/// lists travel beside the names the user picked (PairIDArray beside Pair or
/// Pair2, CcyIDArray beside Pair in the reports with a currency box,
/// DeskIDArray beside Status, AttributesID beside Attributes).
///
/// The member initialisers are what a report starts with before its stored
/// query is read: a relative query for today, no other bound, no restriction.
struct MARVOLT_EXPORT QueryValues
{
    bool Relative = true;
    QVariant ValDate = QDate();   ///< set to today by the constructor
    QVariant ValLong = 0;
    QVariant EndDate = allText();
    QVariant EndLong = allText();
    QVariant ValDate1 = allText();
    QVariant ValLong1 = allText();
    QVariant EndDate1 = allText();
    QVariant EndLong1 = allText();
    QStringList Dealer{allText()};
    QStringList Deal{allText()};
    QStringList Bank{allText()};
    QStringList Pair{allText()};
    QStringList Pair2{allText()};
    QString Netting = allText();
    QStringList Category;         ///< empty: no category filter
    QStringList Status{allText()};
    QStringList KeyArray;         ///< the legend selection; empty: none
    QStringList TCID{allText()};
    QStringList Attributes{allText()};
    QStringList LoroNostro{allText()};
    QStringList Client{allText()};
    QString TypeDate;
    QVariantList CcyIDArray, PairIDArray, DeskIDArray, AttributesID;

    QueryValues();
    bool operator==(const QueryValues &) const = default;

    /// The text that means "no restriction" in lists and "no bound" in dates.
    static QString allText() { return QStringLiteral("All"); }
    /// True for an empty list and for one whose first entry is "All".
    static bool isAll(const QStringList &list);
    /// True when a date or offset field holds "All".
    static bool isAll(const QVariant &bound);
    /// The day a pair of bound fields stands for: none for "All", else today
    /// plus the offset when the query is relative, or the date.
    QDate boundDate(const QVariant &date, const QVariant &offset, QDate today) const;

    // ---- access by name ------------------------------------------------------
    /// One field as hosts and the headless runner address it: its working
    /// name ("Dealer") and, where the field is committed under a name of its
    /// own, that name ("StDealer"); the identifier lists and Relative have none.
    struct Field
    {
        enum Kind { Bool, DateBound, DayOffset, List, Text, IdList };

        const char *name;
        const char *committedName;
        Kind kind;
        /// The other form of a date bound (ValDate and ValLong); null for the others.
        const char *partner;
        /// The list member itself, for List fields (filter slots name their
        /// lists by member); null for the others.
        QStringList QueryValues::*list;
        /// The field's value as a variant of its own type.
        QVariant (*get)(const QueryValues &);
        /// Stores a value converted to the field's type; false (and nothing
        /// changed) when it cannot be converted.
        bool (*set)(QueryValues &, const QVariant &);
    };
    /// Every field, in the order of the filter panel.
    static std::span<const Field> fields();
    /// The field of a working or committed name, compared without regard to
    /// case; committed is set to whether the name was the committed one.
    /// Null for a name that is no field.
    static const Field *field(const QString &name, bool *committed = nullptr);
};
