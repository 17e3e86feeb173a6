#pragma once

#include "app/tgauge.h"

#include <QDialog>

class QLabel;

// The progress dialog of long work: a title line, a large counter line and a gauge. Modeless; the
// window that starts the work is disabled while it shows.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    QLabel* Label6 = nullptr; // title line
    QLabel* Label7 = nullptr; // counter line
    TGauge* Gauge2 = nullptr;
};
