// marvolt-demo-db: writes a realistic, reproducible demo trading database.

#include "DemoDatabase.h"
#ifdef MARVOLT_HAVE_POSTGRES
#include "PostgresCopy.h"
#endif

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QString error;
    bool help = false;
    const auto options = db::DemoDatabase::parseArguments(app.arguments().mid(1), &error, &help);
    if (help) {
        out << db::DemoDatabase::usage() << Qt::endl;
        return 0;
    }
    if (!options) {
        err << "marvolt-demo-db: " << error << Qt::endl << db::DemoDatabase::usage() << Qt::endl;
        return 2;
    }

    // A PostgreSQL database is loaded from a database file: the file is
    // the one place the generator writes, so both hold the same deals.
    QTemporaryDir scratch;
    db::DemoDatabase::Options build = *options;
    if (build.out.isEmpty())
        build.out = scratch.filePath(QStringLiteral("demo.db"));
#ifndef MARVOLT_HAVE_POSTGRES
    if (!build.connect.isEmpty()) {
        err << "marvolt-demo-db: this build has no PostgreSQL driver" << Qt::endl;
        return 1;
    }
#endif

    QElapsedTimer timer;
    timer.start();
    db::DemoDatabase::Summary summary;
    if (!db::DemoDatabase::build(build, &summary, &error)) {
        err << "marvolt-demo-db: " << error << Qt::endl;
        return 1;
    }
#ifdef MARVOLT_HAVE_POSTGRES
    if (!build.connect.isEmpty() && !db::PostgresCopy::copyFile(build.out, build.connect, &error)) {
        err << "marvolt-demo-db: PostgreSQL: " << error << Qt::endl;
        return 1;
    }
#endif
    out << QStringLiteral("marvolt-demo-db: wrote %1: %2 deals from %3 to %4, %5 archived, %6 currencies, "
                          "%7 pairs, %8 dealers, %9 counterparties, %10 rates, seed %11, %12 s")
               .arg(options->out.isEmpty() ? QStringLiteral("the PostgreSQL database") : options->out)
               .arg(summary.deals)
               .arg(summary.firstDay.toString(Qt::ISODate), summary.lastDay.toString(Qt::ISODate))
               .arg(summary.archived)
               .arg(summary.currencies)
               .arg(summary.pairs)
               .arg(summary.dealers)
               .arg(summary.counterparties)
               .arg(summary.rates)
               .arg(options->seed)
               .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1)
        << Qt::endl;
    return 0;
}
