#pragma once
// The trace switch of the component's boundaries. With the environment variable VQ_TRACE set
// to anything but "" or "0", every entry into the component and every call out to the host
// product writes one line (the Windows shell makes those calls); without it nothing is
// written, and a check costs one load.
//
// Lines go to a sink: standard error unless the platform installs another (the Windows shell
// writes them with OutputDebugStringW). When VQ_TRACE_FILE names a file, every line is also
// appended to that file. Both variables are read once, when the facility is first used.

#include <cstdint>
#include <functional>
#include <string>

#include "Value.h"

namespace vq {

/// Receives one finished line (without a line break).
using TraceSink = std::function<void(const std::string& line)>;

/// True when tracing is on.
bool TraceOn();

/// Writes "vqTransmitters32: " followed by text as one line, when tracing is on.
void TraceLine(const std::string& text);

/// Replaces the sink; null restores standard error. The trace file, if any, still receives
/// every line.
void SetTraceSink(TraceSink sink);

/// Turns tracing off in this module whatever the environment says: for a module that links
/// this code but is not the component (the simulator's COM face).
void SilenceTrace();

/// Short forms for trace lines.
/// A text in double quotes, cut after 60 characters with "...".
std::string TraceText(const std::string& text);
/// A value as a host would write it: Empty, Null, Missing, True, False, 12, 2.5, "text",
/// Object, Nothing, or the name of a type the core cannot use (Array).
std::string TraceForm(const Value& value);
/// A failure code in hexadecimal, with its automation error number when it is one:
/// "0x800A01A8 (error 424)".
std::string TraceCode(int32_t code);

}  // namespace vq
