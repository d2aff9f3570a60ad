#pragma once
// Turns tracing on and points the process's one logger at a fake trace
// component for the life of the object, so tests can read the exact lines.
#include "base/Logger.h"
#include "FakeTraceComponent.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

class TraceCapture {
public:
    // A free-threaded capture writes each line on the thread that traces it.
    explicit TraceCapture(bool freeThreaded = false) : m_registration(new FakeTraceRegistration) {
        m_registration->Component().freeThreaded = freeThreaded;
        // The global logger gave up on its component at load time, before
        // COM was up; build it again now that the fake is registered.
        g_logger.~Logger();
        new (&g_logger) Logger();
        g_bTraceMode = 1;
    }
    ~TraceCapture() {
        g_bTraceMode = 0;
        g_logger.~Logger();
        m_registration.reset();
        new (&g_logger) Logger();
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> texts;
        for (const auto& line : m_registration->Component().lines)
            texts.push_back(line.second);
        return texts;
    }
    bool Has(const std::wstring& text) const {
        auto lines = Lines();
        return std::find(lines.begin(), lines.end(), text) != lines.end();
    }
    void Clear() { m_registration->Component().lines.clear(); }
    void AfterWrite(std::function<void()> hook) { m_registration->Component().afterWrite = std::move(hook); }

private:
    std::unique_ptr<FakeTraceRegistration> m_registration;
};
