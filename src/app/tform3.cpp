#include "app/tform3.h"

#include "i18n/translate.h"

#include "i18n/messages.h"

#include <QLabel>
#include <QVBoxLayout>

TForm3::TForm3(QWidget* parent) : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(i18n::message("u58"));
    resize(321, 122);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    Label6 = new QLabel(QStringLiteral("Total files copied:"), this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setAlignment(Qt::AlignCenter);
    setTextKey(Label6, 57);
    Label7 = new QLabel(QStringLiteral("0"), this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setAlignment(Qt::AlignCenter);
    QFont big(QStringLiteral("Sans Serif"));
    big.setStyleHint(QFont::SansSerif);
    big.setPixelSize(20);
    Label7->setFont(big);
    Gauge2 = new TGauge(this);
    Gauge2->setObjectName(QStringLiteral("Gauge2"));
    Gauge2->setFixedSize(297, 21);
    Gauge2->setShowText(false);
    Gauge2->setForeColor(QColor(192, 220, 192));
    Gauge2->setBackColor(Qt::white);
    layout->addWidget(Label6);
    layout->addWidget(Label7);
    layout->addWidget(Gauge2, 0, Qt::AlignHCenter);
    i18n::markNotTranslated(Label7);
    i18n::translateWithCurrent(this);
}
