#include "Trace.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "Failure.h"

namespace vq {

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

struct Settings {
    std::atomic<bool> On{[] {
        const std::string value = Environment("VQ_TRACE");
        return !value.empty() && value != "0";
    }()};
    const std::string File = Environment("VQ_TRACE_FILE");
    std::mutex Lock;
    TraceSink Sink;  // guarded by Lock; null: standard error
};

Settings& TheSettings() {
    static Settings settings;
    return settings;
}

void AppendToFile(const std::string& path, const std::string& line) {
    if (std::FILE* file = std::fopen(path.c_str(), "a")) {
        std::fputs(line.c_str(), file);
        std::fputc('\n', file);
        std::fclose(file);
    }
}

}  // namespace

bool TraceOn() {
    return TheSettings().On.load(std::memory_order_relaxed);
}

void TraceLine(const std::string& text) {
    Settings& settings = TheSettings();
    if (!settings.On.load(std::memory_order_relaxed)) return;
    const std::string line = "vqTransmitters32: " + text;
    const std::lock_guard<std::mutex> lock(settings.Lock);
    if (settings.Sink) {
        settings.Sink(line);
    } else {
        std::fputs((line + "\n").c_str(), stderr);
        std::fflush(stderr);
    }
    if (!settings.File.empty()) AppendToFile(settings.File, line);
}

void SetTraceSink(TraceSink sink) {
    Settings& settings = TheSettings();
    const std::lock_guard<std::mutex> lock(settings.Lock);
    settings.Sink = std::move(sink);
}

void SilenceTrace() {
    TheSettings().On.store(false);
}

std::string TraceText(const std::string& text) {
    return Quoted(text, 60, false);
}

std::string TraceForm(const Value& value) {
    switch (value.GetKind()) {
        case Value::Kind::Empty:
            return "Empty";
        case Value::Kind::Null:
            return "Null";
        case Value::Kind::Missing:
            return "Missing";
        case Value::Kind::Boolean:  // other values than -1 and 0 are shown as they are
            if (value.Boolean().Value == -1) return "True";
            return value.Boolean().Value == 0 ? "False" : std::to_string(value.Boolean().Value);
        case Value::Kind::Integer:
        case Value::Kind::Real:
            return value.ToText();
        case Value::Kind::Text:
            return TraceText(value.Text());
        case Value::Kind::Object:
            return value.ObjectRef() ? "Object" : "Nothing";
        case Value::Kind::Unsupported:
            break;
    }
    return value.TypeName();
}

std::string TraceCode(int32_t code) {
    char text[40];
    const auto bits = static_cast<uint32_t>(code);
    if ((bits & 0xFFFF0000u) == 0x800A0000u)
        std::snprintf(text, sizeof text, "0x%08X (error %u)", bits, bits & 0xFFFFu);
    else
        std::snprintf(text, sizeof text, "0x%08X", bits);
    return text;
}

}  // namespace vq
