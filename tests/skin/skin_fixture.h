#pragma once
// Fakes for the skin engine's tests: a form that keeps what it was shown, a recording element
// handler and painter, a command host with settable link states, and a fixture that starts a
// fresh registry with them installed and builds skins from themes made in memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gfx/blit.h"
#include "klb/zrtheme.h"
#include "skin/zrskin.h"
#include "skin/zrskincmd.h"
#include "skin/zrskinhost.h"
#include "skin/zrskinlayout.h"
#include "skin/zrskinpaint.h"
#include "skin/zrskinscript.h"
#include "skin/zrskintheme.h"
#include "support/skin_text.h"

namespace pk::test {

class FakeForm : public SkinForm {
public:
    FakeForm(int w, int h) : width(w), height(h), screen(w, h, kWhite555) {}
    int ClientWidth() const override { return width; }
    int ClientHeight() const override { return height; }
    bool FormVisible() const override { return visible; }
    int32_t FormColour() const override { return colour; }
    void PresentRect(const Surface16& buffer, const PixelRect& r) override {
        presented.push_back(r);
        BitBlt(screen, r.left, r.top, r.width, r.height, buffer, r.left, r.top);
    }
    void FillFormRect(const PixelRect& r, Pixel16 c) override {
        filled.push_back(r);
        FillRect(screen, r, c);
    }
    void CaptureMouse() override { ++captures; }
    void ReleaseMouse() override { ++releases; }

    int width;
    int height;
    bool visible = true;
    int32_t colour = 0x808080;
    Surface16 screen;  // what the form shows
    std::vector<PixelRect> presented;
    std::vector<PixelRect> filled;
    int captures = 0;
    int releases = 0;
};

// "name:event" for every event a handler received, and the bound elements.
class RecordingEvents : public SkinEvents {
public:
    void BindElement(TSkinElementRec& e) override { bound.push_back(e.name); }
    void ElementEvent(uint8_t event, TSkinElementRec& e) override {
        log.push_back(e.name + ":" + std::to_string(event));
    }
    std::vector<std::string> bound;
    std::vector<std::string> log;
};

// Records painted game elements and fills each with a colour, as a handler would draw.
class RecordingPainter : public SkinElementPainter {
public:
    void PaintElement(TSkinElementRec& e, Surface16& target) override {
        painted.push_back(e.name);
        FillRect(target, e.rect, fill);
    }
    std::vector<std::string> painted;
    Pixel16 fill = Rgb555(31, 0, 31);
};

class FakeCommands : public SkinCommandHost {
public:
    int GameLinkState() override { return gameLink; }
    bool GameRunning() override { return running; }
    bool GamePaused() override { return paused; }
    bool Spectating() override { return spectating; }
    std::string RoomOperators() override { return operators; }
    std::string PlayerName() override { return player; }
    int OccupiedPlayerSlots() override { return occupied; }
    void SendGameMessage(uint8_t type, const std::string& payload) override {
        sent.emplace_back(type, payload);
    }
    void GameConnect(const std::string& name, const std::string& h, int p) override {
        connects.push_back(name + "@" + h + ":" + std::to_string(p));
    }
    void GameDisconnect() override { ++gameDisconnects; }
    int LobbyLinkState() override { return lobbyLink; }
    void LobbyLogin(const std::string& n, const std::string& pw) override {
        logins.push_back(n + "/" + pw);
    }
    void LobbyDisconnect(bool retry) override { lobbyDisconnects.push_back(retry); }
    std::string AccountName() override { return account; }
    std::string AccountPassword() override { return password; }
    std::string ServerAddress() override { return server; }
    void RememberServer(const std::string& s) override { remembered.push_back(s); }
    void ShowSignup() override { ++signups; }
    void ReloadMotd() override { ++motdReloads; }
    void SetFullScreen(bool on) override { fullScreen.push_back(on); }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        busyInMessage = SkinsBusy();
    }
    void OpenUrl(const std::string& url) override { urls.push_back(url); }

    int gameLink = 2;
    bool running = false;
    bool paused = false;
    bool spectating = false;
    std::string operators;
    std::string player = "me";
    int occupied = 0;
    int lobbyLink = 2;
    std::string account = "me";
    std::string password = "pw";
    std::string server;
    std::vector<std::pair<int, std::string>> sent;
    std::vector<std::string> connects;
    int gameDisconnects = 0;
    std::vector<std::string> logins;
    std::vector<bool> lobbyDisconnects;
    std::vector<std::string> remembered;
    int signups = 0;
    int motdReloads = 0;
    std::vector<bool> fullScreen;
    std::vector<std::string> messages;
    bool busyInMessage = false;
    std::vector<std::string> urls;
};

// One skin entry of a theme made in memory.
struct SkinSpec {
    SkinSpec(std::string n, std::string f, PixelRect r, int32_t c = -1, std::string e = {},
             std::string p = {})
        : name(std::move(n)),
          flags(std::move(f)),
          rect(r),
          colour(c),
          events(std::move(e)),
          parent(std::move(p)) {}
    std::string name;
    std::string flags;  // parameter text, lines joined by CR
    PixelRect rect;
    int32_t colour;
    std::string events;  // event text
    std::string parent;
};

inline void AddSkinEntry(TZRTheme& theme, const SkinSpec& s) {
    auto c = std::make_unique<TZRC>();
    c->kind = KlbKind::Skin;
    c->name = s.name;
    c->skin = std::make_unique<TZRskin>();
    c->skin->SkinFlagList = s.flags;
    c->skin->SkinEventList = s.events;
    c->skin->ParentName = s.parent;
    c->skin->left = s.rect.left;
    c->skin->top = s.rect.top;
    c->skin->width = s.rect.width;
    c->skin->height = s.rect.height;
    c->skin->backColour = s.colour;
    theme.entries.push_back(std::move(c));
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitSkins(640, 480);
        SetSkinEvents(&events);
        SetSkinElementPainter(&painter);
        SetSkinCommandHost(&commands);
    }
    void TearDown() override {
        FreeSkins();
        SetSkinEvents(nullptr);
        SetSkinElementPainter(nullptr);
        SetSkinCommandHost(nullptr);
    }

    // A form registered under a skin name, its reference size its own size.
    FakeForm& Form(const std::string& skin, int w, int h) {
        forms.push_back(std::make_unique<FakeForm>(w, h));
        RegisterSkin(forms.back().get(), skin);
        return *forms.back();
    }
    static void AddSkinEntry(TZRTheme& t, const SkinSpec& s) { test::AddSkinEntry(t, s); }
    // Builds every registered skin from the entries and lays each out.
    void Build() {
        BuildSkinElements(theme);
        for (auto& s : SkinList) ResizeSkin(s->form);
    }
    TSkinElementRec& El(const std::string& name) {
        TSkinElementRec* e = FindElementAnywhere(name);
        EXPECT_NE(e, nullptr) << name;
        return *e;
    }
    // Gives an element a picture without a library.
    static void SetImage(TSkinElementRec& e, Surface16 image, std::optional<Mask> mask = {}) {
        e.source.imageSize = 1;
        e.image = std::move(image);
        e.mask = std::move(mask);
        e.bitmapsLoaded = true;
    }

    TZRTheme theme;
    RecordingEvents events;
    RecordingPainter painter;
    FakeCommands commands;
    std::vector<std::unique_ptr<FakeForm>> forms;
};

}  // namespace pk::test
