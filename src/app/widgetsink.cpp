#include "app/widgetsink.h"

#include <QApplication>
#include <QMessageBox>

void WidgetSink::warning(const QString& text)
{
    QMessageBox::warning(m_parent, QApplication::applicationDisplayName(), text);
}

bool WidgetSink::question(const QString& text)
{
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
