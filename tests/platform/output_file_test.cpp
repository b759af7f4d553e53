#include "platform/output_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace gbkhex::platform {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void Write(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

int ModeOf(const fs::path& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

// The wait status of `body` run in a child process, which exits with what it
// returns: for what changes the process (its user, its limits, its signals).
int InChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

// What Commit or the constructor throws, or "" when neither does.
std::string FailureOf(const fs::path& path, std::string_view text) {
  try {
    OutputFile file(path.string());
    file.Stream() << text;
    file.Commit();
  } catch (const OutputFileError& error) {
    return error.what();
  }
  return "";
}

class OutputFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        fs::temp_directory_path() / ("gbkhex_output_" + std::to_string(std::random_device{}()));
    fs::create_directory(folder_);
    old_ = folder_ / "strings.h";
    Write(old_, "old\n");
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all);
    fs::remove_all(folder_);
  }

  // The names in the folder: a temporary left behind shows here.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  void ExpectOldFileAlone() const {
    EXPECT_EQ(Read(old_), "old\n");
    EXPECT_EQ(Names(), std::set<std::string>{"strings.h"});
  }

  fs::path folder_;
  fs::path old_;
};

TEST_F(OutputFileTest, ReplacesOnlyOnCommitWithTheModeThatCreatingGives) {
  const mode_t umaskNow = umask(0);
  umask(umaskNow);
  const fs::path fresh = folder_ / "中文 名.h";
  {
    OutputFile file(fresh.string());
    file.Stream() << "new";
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(Names().size(), 2u);  // the old file and the new one beside it
    file.Commit();
  }
  EXPECT_EQ(Read(fresh), "new");
  EXPECT_EQ(ModeOf(fresh), 0666 & ~static_cast<int>(umaskNow));

  fs::permissions(old_, fs::perms::owner_read | fs::perms::group_read);
  {
    OutputFile file(old_.string());
    file.Stream() << std::string(200000, 'x');
    file.Commit();
  }
  EXPECT_EQ(Read(old_), std::string(200000, 'x'));
  EXPECT_EQ(ModeOf(old_), 0440);
  fs::remove(fresh);

  // Through a symbolic link: its target is replaced, the link stays a link.
  Write(old_, "old\n");
  const fs::path link = folder_ / "link.h";
  fs::create_symlink(old_.filename(), link);
  EXPECT_EQ(FailureOf(link, "linked"), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Read(old_), "linked");
}

TEST_F(OutputFileTest, NothingChangesWithoutCommitOrOnAnyFailure) {
  {
    OutputFile file(old_.string());
    file.Stream() << "abandoned";
  }
  ExpectOldFileAlone();

  const std::string missing = FailureOf(folder_ / "no-such-folder" / "strings.h", "x");
  EXPECT_NE(missing.find("cannot create a file in"), std::string::npos) << missing;
  EXPECT_NE(missing.find("No such file or directory"), std::string::npos) << missing;
  EXPECT_NE(FailureOf(folder_, "x").find("it is a folder"), std::string::npos);
  ExpectOldFileAlone();

  // A folder that the user cannot write to (root, who can, runs this as nobody).
  fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                               fs::perms::group_exec | fs::perms::others_read |
                               fs::perms::others_exec);
  const int unwritable = InChild([this] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 3;
    const std::string failure = FailureOf(old_, "x");
    return failure.find("Permission denied") != std::string::npos ? 0 : 1;
  });
  EXPECT_TRUE(WIFEXITED(unwritable) && WEXITSTATUS(unwritable) == 0) << unwritable;
  fs::permissions(folder_, fs::perms::owner_all);
  ExpectOldFileAlone();

  // A write that fails midway, as on a full disk: here a file size limit.
  const int tooLarge = InChild([this] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{100000, 100000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    const std::string failure = FailureOf(old_, std::string(300000, 'x'));
    return failure.find("cannot write") != std::string::npos &&
                   failure.find("File too large") != std::string::npos
               ? 0
               : 1;
  });
  EXPECT_TRUE(WIFEXITED(tooLarge) && WEXITSTATUS(tooLarge) == 0) << tooLarge;
  ExpectOldFileAlone();

  // FILE turned into a folder before the end: the rename fails.
  try {
    OutputFile file((folder_ / "late.h").string());
    file.Stream() << "x";
    fs::create_directory(folder_ / "late.h");
    file.Commit();
    ADD_FAILURE() << "replaced a folder";
  } catch (const OutputFileError& error) {
    EXPECT_NE(std::string(error.what()).find("cannot replace"), std::string::npos);
  }
  fs::remove(folder_ / "late.h");
  ExpectOldFileAlone();

  // A device is written directly, and its failure reported.
  EXPECT_EQ(FailureOf("/dev/null", "x"), "");
  EXPECT_NE(FailureOf("/dev/full", "x").find("No space left on device"), std::string::npos);
}

TEST_F(OutputFileTest, AnInterruptRemovesTheTemporary) {
  for (const int signal : {SIGINT, SIGTERM}) {
    const int status = InChild([this, signal] {
      OutputFile file(old_.string());
      file.Stream() << "interrupted" << std::flush;
      raise(signal);
      return 0;
    });
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    ExpectOldFileAlone();
  }
}

// An output whose step `failing` fails, as a file that cannot be written
// (Prepare) or put in place (Replace) does.
class Failing final : public ReplaceableOutput {
 public:
  enum class Step { None, Prepare, Replace };
  Failing(OutputFile& file, Step failing) : file_(file), failing_(failing) {}
  void Prepare() override {
    if (failing_ == Step::Prepare) throw OutputFileError("cannot write " + Name());
    file_.Prepare();
  }
  void Replace() override {
    if (failing_ == Step::Replace) throw OutputFileError("cannot replace " + Name());
    file_.Replace();
  }
  std::string Restore() noexcept override { return file_.Restore(); }
  void Settle() noexcept override { file_.Settle(); }
  const std::string& Name() const noexcept override { return file_.Name(); }

 private:
  OutputFile& file_;
  Step failing_;
};

// Of a run's outputs (the last, the header, new), each may fail at each step
// of the commit, or be a folder that cannot be replaced: every output is then
// as it was, and no file is left beside them; else all are new.
TEST_F(OutputFileTest, OutputsAreReplacedAllTogetherOrNotAtAll) {
  using Step = Failing::Step;
  const std::vector<std::string> names = {"strings.c", "font.bin", "font.png", "strings.h"};
  for (std::size_t failing = 0; failing <= names.size(); ++failing) {
    for (const Step step : {Step::Prepare, Step::Replace}) {
      SCOPED_TRACE(std::to_string(failing) + (step == Step::Prepare ? " prepare" : " replace"));
      fs::remove_all(folder_);
      fs::create_directory(folder_);
      for (std::size_t at = 0; at + 1 < names.size(); ++at) Write(folder_ / names[at], "old");
      std::vector<std::unique_ptr<OutputFile>> files;
      std::vector<std::unique_ptr<Failing>> outputs;
      std::vector<ReplaceableOutput*> order;
      for (std::size_t at = 0; at < names.size(); ++at) {
        files.push_back(std::make_unique<OutputFile>((folder_ / names[at]).string()));
        files.back()->Stream() << "new";
        outputs.push_back(
            std::make_unique<Failing>(*files.back(), at == failing ? step : Step::None));
        order.push_back(outputs.back().get());
      }
      bool failed = false;
      try {
        CommitTogether(order);
      } catch (const OutputFileError& error) {
        failed = true;
        EXPECT_EQ(std::string(error.what()).find("; left"), std::string::npos) << error.what();
      }
      files.clear();
      EXPECT_EQ(failed, failing < names.size());
      std::set<std::string> expected(names.begin(), names.end());
      if (failed) expected.erase(names.back());
      EXPECT_EQ(Names(), expected);
      for (std::size_t at = 0; at + 1 < names.size(); ++at) {
        EXPECT_EQ(Read(folder_ / names[at]), failed ? "old" : "new");
      }
    }
  }
  // A folder put in place of the picture after it was opened cannot be
  // replaced by it: the source, replaced before, is put back.
  fs::remove_all(folder_);
  fs::create_directory(folder_);
  Write(folder_ / "a.c", "old");
  OutputFile source((folder_ / "a.c").string());
  OutputFile picture((folder_ / "a.png").string());
  source.Stream() << "new";
  picture.Stream() << "new";
  fs::create_directories(folder_ / "a.png" / "inside");
  std::vector<ReplaceableOutput*> order = {&source, &picture};
  EXPECT_THROW(CommitTogether(order), OutputFileError);
  EXPECT_EQ(Read(folder_ / "a.c"), "old");
  EXPECT_EQ(Names(), (std::set<std::string>{"a.c", "a.png"}));
}

}  // namespace
}  // namespace gbkhex::platform
