#include "ReportSetup.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

QString fileNameFromTitle(const QString &title)
{
    QString name;
    name.reserve(title.size());
    for (const QChar c : title.trimmed()) {
        // Forbidden on at least one platform the reports may be copied to, or control characters.
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
            name.append(QLatin1Char('_'));
        else
            name.append(c);
    }
    // A name of dots only would name the directory itself or its parent.
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    if (name.size() > 100)
        name.truncate(100);
    return name.isEmpty() ? QStringLiteral("Report") : name;
}

bool parseMargins(const QString &text, QMarginsF *margins)
{
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return false;
    double v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts.at(i).trimmed().toDouble(&ok);
        if (!ok || v[i] < 0 || v[i] > 100)
            return false;
    }
    *margins = QMarginsF(v[0], v[1], v[2], v[3]);
    return true;
}

} // namespace

ReportSetup::ReportSetup(const QString &libraryDirectory)
    : m_libraryDirectory(libraryDirectory)
{
    applyDefaults(QString(), QString());
}

void ReportSetup::setLayout(double left, double top, double right, double bottom)
{
    m_margins = QMarginsF(qMax(0.0, left), qMax(0.0, top), qMax(0.0, right), qMax(0.0, bottom));
}

QString ReportSetup::defaultTemplateDirectory(const QString &libraryDirectory)
{
    const QString beside = QDir(libraryDirectory).filePath(QStringLiteral("Template"));
    if (QFileInfo(beside).isDir())
        return beside;
    QStringList installed;
#ifdef MARVOLT_INSTALLED_DATA_DIR
    installed.append(QDir(QStringLiteral(MARVOLT_INSTALLED_DATA_DIR)).filePath(QStringLiteral("Template")));
#endif
    installed.append(QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("marvolt/Template"),
                                            QStandardPaths::LocateDirectory));
    for (const QString &folder : installed) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    }
    return beside;
}

QString ReportSetup::defaultOutputDirectory(const QString &libraryDirectory)
{
    const QString beside = QDir(libraryDirectory).filePath(QStringLiteral("Report"));
    const QFileInfo folder(beside);
    const bool usable = folder.exists() ? folder.isDir() && folder.isWritable()
                                        : QFileInfo(libraryDirectory).isDir() && QFileInfo(libraryDirectory).isWritable();
    if (usable)
        return beside;
    const QString own = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return own.isEmpty() ? beside : QDir(own).filePath(QStringLiteral("Report"));
}

void ReportSetup::applyDefaults(const QString &defaultForm, const QString &defaultDirectory)
{
    setForm(defaultForm);
    m_templateDirectory = defaultDirectory.isEmpty() ? defaultTemplateDirectory(m_libraryDirectory) : defaultDirectory;
    m_outputDirectory = defaultOutputDirectory(m_libraryDirectory);
}

QString ReportSetup::formPath() const
{
    if (m_form.isEmpty())
        return QString();
    QString file = m_form;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".ini");
    return QDir(m_templateDirectory).filePath(file);
}

bool ReportSetup::loadForm(ReportForm *form) const
{
    *form = ReportForm();
    form->margins = m_margins;
    const QString path = formPath();
    if (path.isEmpty())
        return true;
    if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
        m_lastError = QStringLiteral("The report form \"%1\" was not found: %2").arg(m_form, path);
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        m_lastError = QStringLiteral("The report form \"%1\" cannot be read: %2").arg(m_form, path);
        return false;
    }
    const QString orientation = settings.value(QStringLiteral("Orientation")).toString().trimmed();
    if (orientation.compare(QLatin1String("Portrait"), Qt::CaseInsensitive) == 0)
        form->orientation = ReportForm::Portrait;
    else if (orientation.compare(QLatin1String("Landscape"), Qt::CaseInsensitive) == 0)
        form->orientation = ReportForm::Landscape;
    // QSettings splits an unquoted "15, 25, 15, 15" into a list.
    const QVariant marginValue = settings.value(QStringLiteral("Margins"));
    const QString marginText = marginValue.typeId() == QMetaType::QStringList
                                   ? marginValue.toStringList().join(QLatin1Char(','))
                                   : marginValue.toString();
    if (!marginText.isEmpty() && !parseMargins(marginText, &form->margins)) {
        m_lastError = QStringLiteral("The report form \"%1\" has unusable margins \"%2\"").arg(m_form, marginText);
        form->margins = m_margins;
        return false;
    }
    return true;
}

bool ReportSetup::prepareOutputDirectory() const
{
    if (m_outputDirectory.isEmpty()) {
        m_lastError = QStringLiteral("No output folder is set for reports");
        return false;
    }
    if (!QDir().mkpath(m_outputDirectory)) {
        m_lastError = QStringLiteral("The report folder %1 cannot be created").arg(m_outputDirectory);
        return false;
    }
    // Permission bits do not tell the whole story (read-only mounts, ACLs): try.
    QTemporaryFile probe(QDir(m_outputDirectory).filePath(QStringLiteral(".write-test-XXXXXX")));
    if (!probe.open()) {
        m_lastError = QStringLiteral("Reports cannot be written into %1: %2").arg(m_outputDirectory, probe.errorString());
        return false;
    }
    return true;
}

QString ReportSetup::newReportPath(const QString &title, const QDateTime &stamp) const
{
    const QDir dir(m_outputDirectory);
    const QString base = fileNameFromTitle(title) + QLatin1Char('_') + stamp.toString(QStringLiteral("yyyyMMdd_HHmmss"));
    QString path = dir.filePath(base + QStringLiteral(".pdf"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(base + QLatin1Char('_') + QString::number(n) + QStringLiteral(".pdf"));
    return path;
}
