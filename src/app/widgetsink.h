#pragma once

#include "platform/messagesink.h"

class QWidget;

// Message boxes of the window: warnings with OK, questions with Yes and No.
class WidgetSink : public MessageSink {
public:
    explicit WidgetSink(QWidget* parent) : m_parent(parent) {}
    void warning(const QString& text) override;
    bool question(const QString& text) override;

private:
    QWidget* m_parent;
};
