// How the core tells the user what happened: one message at a time, each
// waited on until dismissed. The window shows a message box, the console
// writes a line, tests record the texts in order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class Notifier {
public:
    virtual ~Notifier() = default;

    // Shows one message (UTF-8) and returns when the user has dismissed it.
    virtual void Show(std::string_view text) = 0;
};

// Keeps every message in order, for tests and for callers that report later.
class RecordingNotifier final : public Notifier {
public:
    void Show(std::string_view text) override { m_messages.emplace_back(text); }
    const std::vector<std::string>& Messages() const { return m_messages; }

private:
    std::vector<std::string> m_messages;
};
