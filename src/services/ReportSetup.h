#pragma once

#include <QDateTime>
#include <QMarginsF>
#include <QString>

/// The page set-up a report form gives: orientation and margins in millimetres.
struct ReportForm
{
    enum Orientation {
        Automatic, ///< landscape when the table does not fit the width of a portrait page
        Portrait,
        Landscape,
    };
    Orientation orientation = Automatic;
    QMarginsF margins{15, 25, 15, 15};
};

/// Where the report generator takes its form and templates from and where it
/// writes its reports, and the names of the files it writes.
///
/// The control hands over its default form and default directory before each
/// print and reads them back afterwards (form() and templateDirectory()) to
/// store them with the report's settings. An empty default directory resolves
/// to the "Template" folder beside the library, or, when there is none, to
/// the installed one (share/marvolt/Template). Reports go to the "Report"
/// folder beside the library, or, when that cannot be written (a library
/// installed under /usr), to the user's own application data folder.
///
/// A form is a small settings file in the template directory (the form name,
/// ".ini" added when the name has no suffix) with the keys "Orientation"
/// ("Portrait", "Landscape" or "Automatic") and "Margins" (four millimetre
/// values: left, top, right, bottom). Without a form the layout settings apply.
class ReportSetup final
{
public:
    explicit ReportSetup(const QString &libraryDirectory = QString());

    QString libraryDirectory() const { return m_libraryDirectory; }

    /// The four layout settings: page margins in millimetres. Negative values
    /// are taken as 0.
    void setLayout(double left, double top, double right, double bottom);
    QMarginsF layoutMargins() const { return m_margins; }

    /// The "Template" folder beside \a libraryDirectory when there is one,
    /// else the installed one, else (none installed) the one beside.
    static QString defaultTemplateDirectory(const QString &libraryDirectory);
    /// The "Report" folder beside \a libraryDirectory when it can be written
    /// there, else "Report" in the user's application data folder.
    static QString defaultOutputDirectory(const QString &libraryDirectory);

    /// Takes the control's stored defaults: the form (may be empty) and the
    /// template directory (empty: defaultTemplateDirectory()). The output
    /// directory becomes defaultOutputDirectory().
    void applyDefaults(const QString &defaultForm, const QString &defaultDirectory);

    void setForm(const QString &form) { m_form = form.trimmed(); }
    QString form() const { return m_form; }
    void setTemplateDirectory(const QString &directory) { m_templateDirectory = directory; }
    QString templateDirectory() const { return m_templateDirectory; }
    void setOutputDirectory(const QString &directory) { m_outputDirectory = directory; }
    QString outputDirectory() const { return m_outputDirectory; }

    /// The form's file, empty when no form is set.
    QString formPath() const;
    /// The page set-up to print with: the form's when one is set and readable,
    /// else the layout settings with automatic orientation. False (and
    /// lastError()) when a set form could not be read; \a form then holds the
    /// fallback, so the report still prints.
    bool loadForm(ReportForm *form) const;

    /// Creates the output directory when missing and checks that files can be
    /// created in it. False and lastError() otherwise.
    bool prepareOutputDirectory() const;
    /// A path in the output directory for a new report: the title (characters
    /// that cannot stand in a file name replaced by "_"), the time stamp and
    /// ".pdf"; a counter is added when that file already exists.
    QString newReportPath(const QString &title, const QDateTime &stamp) const;

    QString lastError() const { return m_lastError; }

private:
    QString m_libraryDirectory;
    QMarginsF m_margins{15, 25, 15, 15};
    QString m_form;
    QString m_templateDirectory;
    QString m_outputDirectory;
    mutable QString m_lastError;
};
