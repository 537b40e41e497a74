#include "skin/zrskintheme.h"

#include <utility>
#include <vector>

#include "core/zrlog.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinscript.h"
#include "skin/zrskintable.h"

namespace pk {

namespace {

// Work kept while a dispatch runs; a later request of the same key replaces an earlier one.
std::vector<std::pair<std::string, std::function<void()>>> deferred;

void Defer(const std::string& key, std::function<void()> work) {
    for (auto& [k, w] : deferred) {
        if (k == key) {
            w = std::move(work);
            return;
        }
    }
    deferred.emplace_back(key, std::move(work));
}

void SetLayoutKeywords(TSkinElementRec& e) {
    e.layout = ParseLayoutKeywords(e.source.SkinFlagList);
}

// Cuts every parent chain that comes back to an element of it: such a chain would make the
// layout lay out its parents for ever.
void CutParentCycles(tskinf& skin) {
    const std::size_t count = skin.elements.size();
    for (auto& e : skin.elements) {
        TSkinElementRec* p = e->parent;
        std::size_t steps = 0;
        while (p && p != e.get() && steps <= count) {
            p = p->parent;
            ++steps;
        }
        if (p) {
            AddLogLine("Skin element " + e->name + " of " + skin.name +
                       " is its own parent; it is laid out without one");
            e->parent = nullptr;
        }
    }
}

void AddElements(tskinf& skin, const TZRTheme& theme) {
    for (const auto& entry : theme.entries) {
        if (entry->kind != KlbKind::Skin || !entry->skin)
            continue;
        if (!TextHasFlag(entry->skin->SkinFlagList, skin.name) ||
            FindElementInSkin(&skin, entry->name))
            continue;
        auto e = std::make_unique<TSkinElementRec>();
        e->skin = &skin;
        e->name = entry->name;
        e->libraryFile = entry->libraryFile;
        e->source = *entry->skin;
        skin.elements.push_back(std::move(e));
    }
}

void ResetSkinsNow() {
    SkinVars.clear();
    ResetScriptErrors();
    for (auto& skin : SkinList) {
        skin->elements.clear();
        skin->dirty = 0;
        skin->imageBuffer.reset();
        skin->maskBuffer.reset();
    }
}

}  // namespace

void DeferSkinWork(std::function<void()> work) {
    if (!SkinsBusy()) {
        work();
        return;
    }
    deferred.emplace_back(std::string(), std::move(work));
}

void RunDeferredSkinWork() {
    while (!deferred.empty() && !SkinsBusy()) {
        std::function<void()> work = std::move(deferred.front().second);
        deferred.erase(deferred.begin());
        LogAndGoOnWith([] { return "skin work kept during a dispatch"; }, work);
    }
}

void ResetSkins() {
    if (SkinsBusy()) {
        Defer("build", ResetSkins);
        return;
    }
    ResetSkinsNow();
}

void BindSkinElements(TSkinElementRec& e) {
    const SkinKindRow* row = FindSkinKind(e.name);
    e.kind = row ? row->kind : uint8_t{skNone};
    e.kindClass = row ? row->kindClass : SkinClass::None;
    e.handledEvents = ClassEvents(e.kindClass);
    if (e.kind != skNone)
        SkinEventHandler().BindElement(e);
}

void BuildSkinElements(const TZRTheme& theme) {
    if (SkinsBusy()) {
        Defer("build", [&theme] { BuildSkinElements(theme); });
        return;
    }
    SkinDispatchGuard guard;  // the handlers below must not rebuild in the middle
    ResetSkinsNow();
    for (std::size_t i = 0; i < SkinList.size(); ++i) {
        tskinf& skin = *SkinList[i];
        if (!skin.form)
            continue;
        AddElements(skin, theme);
        for (auto& e : skin.elements) {
            const std::string parent = e->source.ParentName;
            e->parent = parent.empty() ? nullptr : FindElementInSkin(&skin, parent);
            SetLayoutKeywords(*e);
        }
        CutParentCycles(skin);
        for (std::size_t k = 0; k < skin.elements.size(); ++k) {
            TSkinElementRec* e = skin.elements[k].get();
            BindSkinElements(*e);
            if (HasElementFlag(*e, "hide")) {
                e->visible = 0;
                skinevent(seHidden, e);
            }
            if (HasElementFlag(*e, "inactive")) {
                e->active = 0;
                skinevent(seDeactivated, e);
            }
            if (e->Shown())
                skinevent(seActivated, e);
            skinevent(seUpdate, e);
        }
    }
}

void SetSkinReferenceSizes(const std::string& mainSkinName, int minWidth, int minHeight) {
    tskinf* main = FindSkinByName(mainSkinName);
    for (auto& skin : SkinList) {
        if (skin.get() == main) {
            skin->referenceWidth = minWidth;
            skin->referenceHeight = minHeight;
            continue;
        }
        const TSkinElementRec* con = FindElementInSkin(main, "con_" + skin->name);
        skin->referenceWidth = con ? con->source.width : 1;
        skin->referenceHeight = con ? con->source.height : 1;
    }
}

void ApplySkinTheme(const TZRTheme& theme, const std::string& mainSkinName, int minWidth,
                    int minHeight) {
    if (SkinsBusy()) {
        Defer("build", [&theme, mainSkinName, minWidth, minHeight] {
            ApplySkinTheme(theme, mainSkinName, minWidth, minHeight);
        });
        return;
    }
    BuildSkinElements(theme);
    SetSkinReferenceSizes(mainSkinName, minWidth, minHeight);
    for (std::size_t i = 0; i < SkinList.size(); ++i) {
        if (SkinList[i]->form)
            ResizeSkin(SkinList[i]->form);
    }
}

}  // namespace pk
