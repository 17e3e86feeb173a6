#pragma once

#include <QString>

// Where logic sends the message boxes it must show; the window shows real boxes, tests record them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // A warning with an OK button.
    virtual void warning(const QString& text) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool question(const QString& text) = 0;
};

// Answers every question with a fixed answer and forgets warnings (headless use).
class SilentSink : public MessageSink {
public:
    explicit SilentSink(bool answer = false) : m_answer(answer) {}
    void warning(const QString&) override {}
    bool question(const QString&) override { return m_answer; }

private:
    bool m_answer;
};
