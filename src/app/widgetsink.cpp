#include "app/widgetsink.h"

#include <QApplication>
#include <QMessageBox>

void WidgetSink::warning(const QString& text)
{
    QMessageBox::warning(m_parent, QApplication::applicationDisplayName(), text);
}

bool WidgetSink::question(const QString& text)
{
    // Every question the program asks would remove or lose something: a stray Enter keeps it.
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
