#include "klb/klblookup.h"

#include <set>
#include <system_error>

#include "core/zrmisc.h"
#include "platform/atomicfile.h"

namespace pk {

bool ThemeIdMatches(std::string_view themeId, std::string_view themeIdList) {
    const int words = WordCount(themeIdList);
    bool result = false;
    for (int i = 1; i <= words; ++i) {
        std::string word = WordAt(i, themeIdList);
        if (word[0] == '!') {
            if (WildMatch(std::string_view(word).substr(1), themeId))
                result = false;
        } else if (word == "*") {
            result = true;
        } else if (WildMatch(word, themeId)) {
            result = true;
        }
    }
    return result;
}

namespace {

std::filesystem::path Search(const std::filesystem::path& folder, std::string_view baseName,
                             std::set<std::filesystem::path>& seen) {
    std::error_code ec;
    // A link back to a folder already searched would otherwise recurse
    // without end; the real path tells us we have been there.
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    if (ec || !seen.insert(real).second)
        return {};
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::filesystem::directory_entry& item = *it;
        std::error_code typeError;
        if (item.is_directory(typeError)) {
            std::filesystem::path found = Search(item.path(), baseName, seen);
            if (!found.empty())
                return found;
            continue;
        }
        std::filesystem::path name = item.path().filename();
        if (SameText(name.extension().string(), ".klb") && SameText(name.stem().string(), baseName))
            return item.path();
    }
    return {};
}

}  // namespace

std::filesystem::path FindLibraryFile(const std::filesystem::path& folder,
                                      std::string_view baseName) {
    std::set<std::filesystem::path> seen;
    return Search(folder, baseName, seen);
}

std::optional<DibBitmap> LoadLibraryBitmap(const std::filesystem::path& file, int32_t offset,
                                           int32_t size) {
    if (offset <= 0 || size <= 0)
        return std::nullopt;
    auto bytes = ReadFileRange(file, offset, size);
    if (!bytes)
        return std::nullopt;
    return DecodeBmp(*bytes);
}

}  // namespace pk
