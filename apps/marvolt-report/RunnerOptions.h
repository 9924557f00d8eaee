#pragma once

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

/// The command line of marvolt-report, parsed and checked.
struct RunnerOptions
{
    enum class Format { Csv, Grid, GridCsv, Xlsx };

    /// The SQLite database file (--db), or empty when a connection string is given.
    QString database;
    /// The connection string (--connect), or empty when a file is given.
    QString connection;
    int windowType = 0;
    /// A report no WindowType creates, by class name ("DealersReport"); empty for a WindowType.
    QString reportClass;
    QString userName;
    QDate today;
    QString table = QStringLiteral("Tickets");
    QString view;                  ///< "all", "summary", "detail" or empty (the stored view)
    QString storedFilter;
    QList<QPair<QString, QString>> fields;   ///< --set Field=Value, in order
    QStringList checkedTools;      ///< --check ID: check buttons the user checks before the run, in order
    QString language;              ///< "en", "de", "ru" or empty (the process locale)
    Format format = Format::Csv;
    QString outFile;               ///< empty: standard output
    QString batchFile;             ///< --batch: the list of reports to run, one per line
    QString screenshot;
    QString detailScreenshot;      ///< the detail window on the first data row, as a picture
    QString ticketScreenshot;      ///< the ticket window of that row's first deal, as a picture
    bool totals = false;           ///< print the toolbar figures instead of the rows
    QString settingsFile;          ///< empty: the user's own settings store
    bool help = false;

    /// Parses arguments (the program name first). False with a one-line
    /// reason for an unknown option, a missing or bad value, or neither or
    /// both of --db and --connect.
    bool parse(const QStringList &arguments, QString *error);

    static QString usage();
};
