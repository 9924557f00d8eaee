#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// One counterparty category as the category and TCID dialogs and the netting
/// report take it: its name, the short names of its counterparties (Entries)
/// and its attributes, each with the values it may take.
struct CategoryRecord
{
    struct Attribute
    {
        QString Name;
        QStringList Values;
        bool operator==(const Attribute &) const = default;
    };

    QString Name;
    QStringList Entries;
    QList<Attribute> Attributes;

    bool operator==(const CategoryRecord &) const = default;
};
