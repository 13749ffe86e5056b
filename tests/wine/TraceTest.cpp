// The trace switch: a run of host tests in a child process with VQ_TRACE=1 and VQ_TRACE_FILE
// writes both kinds of lines, entries into the component and calls out to the host product,
// with arguments, results and failures.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Host.h"

namespace vqtest {
namespace {

// Runs this test program in a child process with the given tests and extra environment; its
// exit code.
DWORD RunChild(const std::wstring& filter, const std::wstring& traceFile) {
    SetEnvironmentVariableW(L"VQ_TRACE", L"1");
    SetEnvironmentVariableW(L"VQ_TRACE_FILE", traceFile.c_str());
    const DWORD code = RunChildProgram(L"--gtest_filter=" + filter);
    SetEnvironmentVariableW(L"VQ_TRACE", nullptr);
    SetEnvironmentVariableW(L"VQ_TRACE_FILE", nullptr);
    return code;
}

TEST(Trace, EntriesAndCallsOutAreWrittenWhenSwitchedOn) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"vq-trace-test.txt";
    DeleteFileW(file.c_str());
    ASSERT_EQ(0u, RunChild(L"StartUp.RefusalsAreCodesAndFailuresAreExceptions:"
                           L"StartUp.UnitSynchronisationReachesTheHostAndItsAnswerTheServer:"
                           L"Collection.AddLookUpAndEnumerate",
                           file));
    std::ifstream in{std::filesystem::path(file)};
    std::stringstream text;
    text << in.rdbuf();
    const std::string trace = text.str();
    DeleteFileW(file.c_str());
    for (const char* expected :
         {"vqTransmitters32: call out: host object.comModem -> failed 0x800A01B6 (error 438): ",
          "Object, Nothing) -> failed 0x800A01B6 (error 438): host object.comModem: ",
          "call out: create vqPellix32.Server -> failed 0x800A01AD (error 429): ",
          "call out: device server.LoadSettings(\"", "call out: create vqPellix32.Server -> ",
          "call in: CTxms.Initialize(\"", "Object, Nothing) -> 3\n",
          "call in: CTxms.Add(\"Alpha\", 1, 11, 1, \"4800,n,8,1\", 1, \"A\", 0, -1) -> Object\n",
          "call in: CTxms.Item(\"alpha\") -> Object\n", "call in: CTxms enumerator.Next(1) -> ",
          "call in: device server event OnUnitSychronized(\"unit 5\") -> ok\n",
          "event out: CTxms.OnTxmSync(\"unit 5\") -> \"unit 5 acknowledged\"\n",
          "call in: CTxms events.Unadvise(8) -> failed 0x80040200\n"}) {
        EXPECT_NE(std::string::npos, trace.find(expected)) << expected << "\n" << trace;
    }
}

}  // namespace
}  // namespace vqtest
