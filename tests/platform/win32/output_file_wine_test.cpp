// OutputFile on Windows, under Wine: FILE replaced only on Commit (a Chinese
// name too), left alone on every failure, and no new file left behind, even
// when the process ends before Commit without running a destructor.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/output_file.h"

namespace fs = std::filesystem;
using gbkhex::platform::OutputFile;
using gbkhex::platform::OutputFileError;

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::printf("FAIL: %s\n", what);
    ++failures;
  }
}

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::size_t Count(const fs::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

std::string Utf8(const fs::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// The child: a new file written, then the process ends without Commit or
// any destructor.
int Abandon(const std::string& path) {
  OutputFile file(path);
  file.Stream() << std::string(100000, 'x') << std::flush;
  ExitProcess(3);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--abandon") return Abandon(Utf8(argv[2]));
  const fs::path folder =
      fs::temp_directory_path() / ("gbkhex_output_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(folder);
  const fs::path old = folder / L"旧文件.h";
  std::ofstream(old, std::ios::binary) << "old";

  {
    OutputFile file(Utf8(old));
    file.Stream() << "new";
    Check(Read(old) == "old" && Count(folder) == 2, "the new file waits beside FILE");
    file.Commit();
  }
  Check(Read(old) == "new" && Count(folder) == 1, "Commit replaces FILE");
  {
    OutputFile file(Utf8(old));
    file.Stream() << "abandoned";
  }
  Check(Read(old) == "new" && Count(folder) == 1, "without Commit, FILE stays");

  try {
    OutputFile file("NUL");
    file.Stream() << "x";
    file.Commit();
  } catch (const OutputFileError&) {
    Check(false, "a device is written directly");
  }

  try {
    OutputFile file(Utf8(folder / "missing" / "x.h"));
    Check(false, "a missing folder is refused");
  } catch (const OutputFileError&) {
  }

  // FILE turned into a folder before the end: the rename fails.
  const fs::path late = folder / "late.h";
  try {
    OutputFile file(Utf8(late));
    file.Stream() << "x";
    fs::create_directory(late);
    file.Commit();
    Check(false, "a folder is not replaced");
  } catch (const OutputFileError&) {
  }
  fs::remove(late);
  Check(Read(old) == "new" && Count(folder) == 1, "a failed rename leaves no new file");

  std::wstring command = L"\"" + std::wstring(argv[0]) + L"\" --abandon \"" + old.wstring() + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Check(status == 3, "the child ends before Commit");
    Check(Read(old) == "new" && Count(folder) == 1, "a process that ends leaves no new file");
  } else {
    Check(false, "the child starts");
  }

  fs::remove_all(folder);
  std::printf(failures == 0 ? "all output file checks passed\n" : "%d failure(s)\n", failures);
  return failures == 0 ? 0 : 1;
}
