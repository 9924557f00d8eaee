#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

/// The filter fields of a report that the host may read or replace at once
/// through the report's QPSettings: the working values and, with the prefix
/// St, the committed values of the query that produced the data shown.
///
/// A date bound is held twice: as a date (ValDate, EndDate: a QDate, or the
/// text "All" for no bound) and as a whole number of days from today (ValLong,
/// EndLong: an int, or "All"). Lists hold ("All") for no restriction. A
/// default-constructed record is the blank copy a report resets to.
struct QuerySettings
{
    bool Relative = false;
    QVariant ValDate;
    QVariant ValLong;
    QVariant EndDate;
    QVariant EndLong;
    QStringList Dealer;
    QStringList Deal;
    QStringList Bank;
    QStringList Pair;
    QString Netting;
    QString StNetting;
    QStringList Category;
    QVariant StValDate;
    QVariant StValLong;
    QVariant StEndDate;
    QVariant StEndLong;
    QStringList StDealer;
    QStringList StDeal;
    QStringList StBank;
    QStringList StPair;
    QStringList StCategory;

    bool operator==(const QuerySettings &) const = default;
};
