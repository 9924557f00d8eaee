#pragma once

#include "marvolt_export.h"

#include <QObject>
#include <QString>

/// The progress relay between a report and the control: the report calls the
/// Raise methods, the control listens to the signals. It only relays; each
/// method emits the signal of the same meaning with the same arguments. One
/// instance per report, made by the control and handed over in SetUtil.
class MARVOLT_EXPORT EventClass final : public QObject
{
    Q_OBJECT
public:
    explicit EventClass(QObject *parent = nullptr) : QObject(parent) {}

    Q_INVOKABLE void RaiseReselect(const QString &curPair, int colDeals, int colPair)
    {
        Q_EMIT ReSelectTabl(curPair, colDeals, colPair);
    }
    Q_INVOKABLE void RaiseInitProgress(int counter) { Q_EMIT InitProgress(counter); }
    Q_INVOKABLE void RaiseStepProgress(int counter) { Q_EMIT StepProgress(counter); }
    Q_INVOKABLE void RaiseUnActiv() { Q_EMIT UnActivProgress(); }
    Q_INVOKABLE void RaiseDetCaption(const QString &title) { Q_EMIT SetDetCaption(title); }

Q_SIGNALS:
    void ReSelectTabl(const QString &curPair, int colDeals, int colPair);
    void InitProgress(int counter);
    void StepProgress(int counter);
    void UnActivProgress();
    void SetDetCaption(const QString &title);
};
