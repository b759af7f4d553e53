#include "emit/output_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace gbkhex {

std::string FolderPrefix(const std::string& path) {
#ifdef _WIN32
  const std::size_t separator = path.find_last_of("/\\:");
#else
  const std::size_t separator = path.rfind('/');
#endif
  return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

namespace {

std::filesystem::path PathOf(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The path made absolute and normalised, with the links of its existing part
// followed; as given where the system cannot say.
std::filesystem::path Resolved(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return path.lexically_normal();
  std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return error ? absolute.lexically_normal() : resolved;
}

}  // namespace

bool NameOneFile(const std::string& a, const std::string& b) {
  const std::filesystem::path first = PathOf(a);
  const std::filesystem::path second = PathOf(b);
  std::error_code error;
  if (std::filesystem::equivalent(first, second, error) && !error) return true;
  return Resolved(first) == Resolved(second);
}

std::string IncludedName(const std::string& headerPath, const std::string& sourcePath) {
  const std::string headerFolder = FolderPrefix(headerPath);
  const std::string sourceFolder = FolderPrefix(sourcePath);
  const auto folderOf = [](const std::string& folder) {
    return Resolved(PathOf(folder.empty() ? "." : folder));
  };
  if (headerFolder == sourceFolder || folderOf(headerFolder) == folderOf(sourceFolder)) {
    return headerPath.substr(headerFolder.size());
  }
  std::string name = headerPath;
#ifdef _WIN32
  std::replace(name.begin(), name.end(), '\\', '/');
#endif
  return name;
}

}  // namespace gbkhex
