#pragma once
// Recording stand-ins for the update dialog and the rest of the program.
#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "update/zrupdate.h"

namespace pk::test {

class FakeNotes : public UpdateNotesView {
public:
    void Clear() override { lines.clear(); }
    void AddLine(const std::string& line) override { lines.push_back(line); }
    void ScrollToLine(int line) override { scrolledTo = line; }
    std::vector<std::string> lines;
    int scrolledTo = -1;
};

class FakeView : public UpdateView {
public:
    void Arrange(bool d) override { arranged.push_back(d); }
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    void SetProgressMaximum(int m) override { maximum = m; }
    void SetProgress(int p) override { progress = p; }
    void SetTimeLeft(const std::string& text) override { timeLeft = text; }
    void SetReceivedBytes(const std::string& text) override { received = text; }
    UpdateNotesView& Notes() override { return notes; }
    bool IsShown() const override { return shown; }
    void ShowCentred(bool m) override {
        shown = true;
        modal = m;
        ++shows;
    }
    void CloseDialog() override {
        if (shown) {
            ++closes;
        }
        shown = false;
    }
    void Repaint() override { ++repaints; }
    std::string Status() const { return statuses.empty() ? std::string() : statuses.back(); }

    FakeNotes notes;
    std::vector<bool> arranged;
    std::vector<std::string> statuses;
    int maximum = -1;
    int progress = -1;
    std::string timeLeft;
    std::string received;
    bool shown = false;
    bool modal = false;
    int shows = 0;
    int closes = 0;
    int repaints = 0;
};

struct UpdaterStart {
    std::string program;
    std::vector<std::string> arguments;
    std::string folder;
};

class FakeHost : public UpdateHost {
public:
    std::string ProgramFolder() override { return folder; }
    std::string ClientProgram() override { return folder + "pelkorin"; }
    bool VersionChanged() override { return versionChanged; }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (throwOnMessage) {
            throw std::runtime_error("message box failed");
        }
    }
    std::string MainWindowId() override { return "4711"; }
    bool StartUpdater(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& where) override {
        starts.push_back({program, arguments, where});
        if (throwOnStart) {
            throw std::runtime_error("no processes left");
        }
        return startWorks;
    }
    void CloseForUpgrade() override { ++closeRequests; }
    std::int64_t Seconds() override {
        if (clock.empty()) {
            return UpdateHost::Seconds();
        }
        const std::int64_t now = clock.front();
        if (clock.size() > 1) {
            clock.pop_front();
        }
        return now;
    }

    std::string folder;
    bool versionChanged = true;
    bool startWorks = true;
    bool throwOnStart = false;
    bool throwOnMessage = false;
    std::vector<std::string> messages;
    std::vector<UpdaterStart> starts;
    int closeRequests = 0;
    std::deque<std::int64_t> clock;  // successive readings; the last one stays
};

}  // namespace pk::test
