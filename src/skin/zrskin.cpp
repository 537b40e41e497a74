#include "skin/zrskin.h"

#include <algorithm>
#include <functional>

#include "core/zrlog.h"
#include "core/zrmisc.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinscript.h"
#include "skin/zrskintheme.h"

namespace pk {

std::vector<std::unique_ptr<tskinf>> SkinList;
Surface16 SkinBuffer;

namespace {

int dispatchDepth = 0;

// Contains CR + word + CR in CR + text + CR, without building the padded copy.
bool HasLine(std::string_view text, std::string_view line) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string_view::npos)
            end = text.size();
        if (text.substr(start, end - start) == line)
            return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

void InitSkins(int screenWidth, int screenHeight) {
    SkinList.clear();
    SkinBuffer = Surface16();
    EnsureSkinBuffer(screenWidth, screenHeight);
    SkinVars.clear();
    ResetScriptErrors();
}

void FreeSkins() {
    SkinList.clear();
    SkinBuffer = Surface16();
    SkinVars.clear();
    ResetScriptErrors();
}

void EnsureSkinBuffer(int width, int height) {
    width = std::clamp(width, 0, Surface16::kMaxSide);
    height = std::clamp(height, 0, Surface16::kMaxSide);
    if (width <= SkinBuffer.width() && height <= SkinBuffer.height())
        return;
    SkinBuffer =
        Surface16(std::max(width, SkinBuffer.width()), std::max(height, SkinBuffer.height()));
}

tskinf* RegisterSkin(SkinForm* form, const std::string& name) {
    if (tskinf* known = FindSkin(form))
        return known;
    auto skin = std::make_unique<tskinf>();
    skin->form = form;
    skin->name = name;
    skin->designWidth = skin->currentWidth = skin->referenceWidth = form->ClientWidth();
    skin->designHeight = skin->currentHeight = skin->referenceHeight = form->ClientHeight();
    SkinList.push_back(std::move(skin));
    return SkinList.back().get();
}

void UnregisterSkin(SkinForm* form) {
    auto it = std::find_if(SkinList.begin(), SkinList.end(),
                           [form](const auto& s) { return s->form == form; });
    if (it == SkinList.end())
        return;
    if (SkinsBusy()) {
        // A dispatch may be walking the list: the record stays, without its form, until the
        // dispatch ends.
        (*it)->form = nullptr;
        DeferSkinWork(
            [] { std::erase_if(SkinList, [](const auto& s) { return s->form == nullptr; }); });
        return;
    }
    SkinList.erase(it);
}

tskinf* FindSkin(const SkinForm* form) {
    if (!form)
        return nullptr;
    for (auto& s : SkinList) {
        if (s->form == form)
            return s.get();
    }
    return nullptr;
}

tskinf* FindSkinByName(std::string_view name) {
    for (auto& s : SkinList) {
        if (s->form && SameText(s->name, name))
            return s.get();
    }
    return nullptr;
}

TSkinElementRec* FindElementInSkin(const tskinf* skin, std::string_view name) {
    if (!skin)
        return nullptr;
    for (const auto& e : skin->elements) {
        if (SameText(e->name, name))
            return e.get();
    }
    return nullptr;
}

TSkinElementRec* FindElement(const SkinForm* form, std::string_view name) {
    return FindElementInSkin(FindSkin(form), name);
}

TSkinElementRec* FindElementAnywhere(std::string_view name) {
    for (const auto& s : SkinList) {
        if (TSkinElementRec* e = FindElementInSkin(s.get(), name))
            return e;
    }
    return nullptr;
}

std::string GetTextParam(std::string_view text, std::string_view name) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\r', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (line.size() > name.size() && line.substr(0, name.size()) == name &&
            line[name.size()] == '\n')
            return std::string(line.substr(name.size() + 1));
        start = end + 1;
    }
    return {};
}

std::string GetElementParam(const TSkinElementRec& element, std::string_view name) {
    return GetTextParam(element.source.SkinFlagList, name);
}

bool TextHasFlag(std::string_view text, std::string_view word) {
    return HasLine(text, word);
}

bool HasElementFlag(const TSkinElementRec& element, std::string_view word) {
    return HasLine(element.source.SkinFlagList, word);
}

int32_t ParseColor(std::string_view text, int32_t defaultColour) {
    if (text.empty())
        return defaultColour;
    auto channel = [&](int n) {
        const std::optional<int32_t> v = ParseInt(WordAt(n, text));
        return v ? std::clamp<int32_t>(*v, 0, 255) : 0;
    };
    return channel(1) | (channel(2) << 8) | (channel(3) << 16);
}

void FreeFormSkinBitmaps(const SkinForm* form) {
    tskinf* skin = FindSkin(form);
    if (!skin)
        return;
    for (auto& e : skin->elements) {
        e->image.reset();
        e->mask.reset();
        e->bitmapsLoaded = false;
    }
    skin->imageBuffer.reset();
    skin->maskBuffer.reset();
}

SkinDispatchGuard::SkinDispatchGuard() {
    ++dispatchDepth;
}

SkinDispatchGuard::~SkinDispatchGuard() {
    if (--dispatchDepth == 0)
        RunDeferredSkinWork();
}

bool SkinsBusy() {
    return dispatchDepth > 0;
}

}  // namespace pk
