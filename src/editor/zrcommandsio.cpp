// The page commands: an image, mask, sound or tune loaded from or saved to a
// file, and a mask made from a transparent colour.
#include <system_error>

#include "core/zrmisc.h"
#include "editor/zrcommands.h"
#include "editor/zrimaging.h"
#include "editor/zrpages.h"
#include "editor/zrpreview.h"
#include "platform/atomicfile.h"

namespace pk {

namespace {

// Bitmap files larger than this are not images a theme uses.
constexpr size_t kMaxImageFileSize = size_t{256} << 20;

std::string WrongKindMessage(int page) {
    return std::string("Selected resource is not a ") + PageResourceName(page) + " resource";
}

// The selected leaf when it is of the page's kind (and of the edited theme,
// for a command that changes it); nullptr after the message otherwise.
TZRC* PageEntry(KledDoc& doc, CommandHost& host, int page, bool changes) {
    TreeNode* sel = doc.tree().selected;
    TZRC* e = sel && !sel->hasChildren ? sel->entry : nullptr;
    if (!e || page < 0 || page >= kPageCount || e->kind() != KindOfPage(page) ||
        (changes && !doc.IsEditableNode(sel))) {
        host.ShowMessage(WrongKindMessage(page));
        return nullptr;
    }
    return e;
}

}  // namespace

bool FileExists(const std::string& file) {
    std::error_code ec;
    return std::filesystem::is_regular_file(file, ec);
}

std::optional<DibBitmap> ReadImageFile(const std::string& file) {
    std::optional<std::string> bytes = ReadFileBytes(file, kMaxImageFileSize);
    if (!bytes)
        return std::nullopt;
    std::optional<DibBitmap> image = DecodeBmp(*bytes);
    if (image && image->empty())
        return std::nullopt;
    return image;
}

std::string MusicFileType(const std::filesystem::path& file) {
    const std::string ext = file.extension().string();
    return ext.empty() ? ext : ext.substr(1, kKlbFileTypeSize);
}

std::string InvalidImageMessage(const std::string& file) {
    return "Unable to load bitmap (" + file + "): the file is not a valid bitmap.";
}

// ---- Load ------------------------------------------------------------------------

bool KledCommands::LoadMask(TZRC& e, const std::string& file) {
    std::optional<DibBitmap> mask;
    if (!LoadImageFile(file, mask))
        return false;
    if (mask->bitsPerPixel != 1 && mask->bitsPerPixel != 8) {
        host_.ShowMessage("Mask bmp (" + file +
                          ") must be monochrome for simple transparency, or 8-bit grayscale for "
                          "alpha blending!");
        return false;
    }
    // Files are black where transparent; memory holds the inverse.
    e.entry.mask = mask->monochrome() ? EncodeBmp(InvertMonochrome(*mask))
                                      : EncodeBmp(ConvertPixelFormat(*mask, kAlphaMaskDepth));
    e.maskFileName = file;
    return true;
}

bool KledCommands::LoadMain(TZRC& e, ResourceMode mode, const std::string& file) {
    if (mode == ResourceMode::Mask && e.kind() == KlbKind::Main)
        return LoadMask(e, file);
    std::optional<DibBitmap> image;
    if (!LoadImageFile(file, image))
        return false;
    e.entry.image = EncodeBmp(ConvertPixelFormat(*image, kMainImageDepth));
    e.imageFileName = file;
    return true;
}

bool KledCommands::LoadSkin(TZRC& e, ResourceMode mode, const std::string& file) {
    if (mode == ResourceMode::Mask) {
        if (!LoadMask(e, file))
            return false;
        e.entry.maskPart = {};
        return true;
    }
    std::optional<DibBitmap> image;
    if (!LoadImageFile(file, image))
        return false;
    e.entry.image = EncodeBmp(ConvertPixelFormat(*image, kSkinImageDepth));
    e.imageFileName = file;
    e.entry.imagePart = {};
    e.entry.width = image->width;
    e.entry.height = image->height;
    return true;
}

bool KledCommands::LoadResourceFromFile(int page, ResourceMode mode, const std::string& file) {
    TZRC* e = PageEntry(doc_, host_, page, true);
    if (!e)
        return false;
    const std::string chosen =
        ChooseFileFor(host_, LoadDialog(page, mode, false), file, true).value_or(std::string());
    if (chosen.empty())
        return false;
    bool changed = false;
    switch (e->kind()) {
        case KlbKind::Main:
        case KlbKind::Detail:
            changed = LoadMain(*e, mode, chosen);
            break;
        case KlbKind::Skin:
            changed = LoadSkin(*e, mode, chosen);
            break;
        case KlbKind::Sound:
            e->heldFile = chosen;
            changed = true;
            break;
        case KlbKind::Music:
            if (IsPreviewFile(chosen))
                break;
            e->heldFile = chosen;
            e->entry.fileType = MusicFileType(chosen);
            changed = true;
            break;
        case KlbKind::Group:
            break;
    }
    host_.ResourcesChanged();
    return changed;
}

// ---- Save -----------------------------------------------------------------------------

bool KledCommands::SaveResourceToFile(int page, ResourceMode mode, const std::string& file) {
    TZRC* e = PageEntry(doc_, host_, page, false);
    if (!e)
        return false;
    const std::string chosen =
        ChooseFileFor(host_, SaveDialog(page), file, false).value_or(std::string());
    if (chosen.empty())
        return false;
    // The editor's own files beside the program are never overwritten.
    const std::filesystem::path target(chosen);
    if (target == doc_.WorkCopy() || IsPreviewFile(target))
        return false;
    std::string bytes;
    if (e->kind() == KlbKind::Sound || e->kind() == KlbKind::Music) {
        std::optional<std::string> payload = EntryPayload(*e, doc_.programFolder());
        if (!payload)
            return false;
        bytes = std::move(*payload);
    } else {
        const bool mask = mode == ResourceMode::Mask && e->kind() != KlbKind::Detail;
        std::optional<DibBitmap> picture = EntryBitmap(*e, mask);
        if (!picture || picture->empty())
            return false;
        std::optional<std::string> encoded;
        if (!mask)
            encoded = EncodeBmp(*picture, kSavedImageDepth);
        else if (picture->monochrome())
            encoded = EncodeBmp(InvertMonochrome(*picture), 1);
        else  // 8-bit greyscale, so that the file loads again as an alpha mask
            encoded = EncodeBmp(AlphaMaskToGreyscale(*picture), 8);
        if (!encoded)
            return false;
        bytes = std::move(*encoded);
    }
    if (!WriteFileAtomic(target, bytes)) {
        host_.ShowMessage("Unable to write '" + chosen + "'.");
        return false;
    }
    return true;
}

// ---- Mask from a colour ------------------------------------------------------------------

bool KledCommands::CreateMaskFromColor(int page) {
    if (page != kPageMain && page != kPageSkin)
        return false;
    TZRC* e = PageEntry(doc_, host_, page, true);
    if (!e)
        return false;
    std::optional<DibBitmap> image = EntryBitmap(*e, false);
    if (!image || image->empty()) {
        host_.ShowMessage(page == kPageMain
                              ? "You need to load a bitmap before creating a mask from it!"
                              : "You need to load a skin bitmap before creating a mask from it!");
        return false;
    }
    const int64_t colour = host_.PickTransparentColor(*image);
    if (colour < 0)
        return false;
    const auto colorref = static_cast<uint32_t>(colour);
    e->entry.mask = EncodeBmp(MaskFromColor(*image, colorref));
    ApplyColorMask(*image, colorref);
    e->entry.image = EncodeBmp(*image);
    e->maskFileName.clear();
    if (e->kind() == KlbKind::Skin) {
        e->entry.maskPart = {};
        e->entry.imagePart = {};
    }
    host_.ResourcesChanged();
    return true;
}

}  // namespace pk
