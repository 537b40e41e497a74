#include "update/ui/zrupdateform.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <fstream>
#include <memory>

#include "game/zrgame.h"
#include "support/temp_dir.h"
#include "support/widgetapp.h"

namespace pk {
namespace {

class Host : public UpdateHost {
public:
    std::string ProgramFolder() override { return dir.Path().string() + "/"; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    test::TempDir dir;
    std::vector<std::string> messages;
};

class UpdateFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureWidgetApp();
        ResetUpdateClient();
        owned = std::make_unique<Tupdate>();
        SetUpdateHost(&host);
        SetUpdateView(owned.get());
    }
    void TearDown() override {
        ResetUpdateClient();
        SetUpdateView(nullptr);
        SetUpdateHost(nullptr);
    }
    Host host;
    std::unique_ptr<Tupdate> owned;
};

TEST_F(UpdateFormTest, TwoLayoutsForDownloadAndNotes) {
    Tupdate& form = *owned;
    EXPECT_EQ(form.windowTitle(), "Pelkorin Update");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.Arrange(true);
    EXPECT_FALSE(form.totalbox()->isHidden());
    EXPECT_FALSE(form.cancelupdate()->isHidden());
    EXPECT_TRUE(form.messagebox()->isHidden());
    EXPECT_TRUE(form.finishupdate()->isHidden());
    EXPECT_EQ(form.height(), 155);
    form.Arrange(false);
    EXPECT_TRUE(form.totalbox()->isHidden());
    EXPECT_TRUE(form.cancelupdate()->isHidden());
    EXPECT_FALSE(form.messagebox()->isHidden());
    EXPECT_FALSE(form.finishupdate()->isHidden());
    EXPECT_EQ(form.height(), 412);
    EXPECT_EQ(form.cancelupdate()->text(), "Cancel Update");
    EXPECT_EQ(form.finishupdate()->text(), "Finish");
    EXPECT_EQ(form.totalbox()->title(), "Total Progress");
    EXPECT_EQ(form.messagebox()->title(), "Message");
    EXPECT_TRUE(form.totaltimeleft()->alignment() & Qt::AlignRight);
}

TEST_F(UpdateFormTest, ProgressTextsAreShownAsTheSessionSetsThem) {
    Tupdate& form = *owned;
    form.SetProgressMaximum(10);
    form.SetProgress(4);
    form.SetStatus("Downloading patch file...");
    form.SetTimeLeft("Time Left: 18 seconds");
    form.SetReceivedBytes("4/10 bytes");
    EXPECT_EQ(form.totalprogress()->value(), 4);
    EXPECT_EQ(form.totalprogress()->maximum(), 10);
    form.SetProgress(99);  // never past the maximum
    EXPECT_EQ(form.totalprogress()->value(), 10);
    EXPECT_EQ(form.status()->text(), "Downloading patch file...");
    EXPECT_EQ(form.totaltimeleft()->text(), "Time Left: 18 seconds");
    EXPECT_EQ(form.recbytes()->text(), "4/10 bytes");
    // Both counts fit beside each other in the download layout.
    form.Arrange(true);
    form.SetReceivedBytes("1234567/9999999 bytes");
    form.show();
    EXPECT_GE(form.recbytes()->width(), form.recbytes()->sizeHint().width());
    form.hide();
}

TEST_F(UpdateFormTest, ReleaseNotesAreShownAsStyledLinesAndFinishCloses) {
    Tupdate& form = *owned;
    {
        std::ofstream out(host.dir.File("versions.txt"), std::ios::binary);
        out << "\\005"
               "01Caf\\233 news\\005\r\nline two\\005";
    }
    ShowVersions();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.messagebox()->isHidden());
    const TTextLines& lines = form.notes()->Lines();
    ASSERT_EQ(lines.Count(), 2u);
    EXPECT_EQ(lines.Line(0).plain, "Caf\xE9 news");
    ASSERT_EQ(lines.Line(0).runs.size(), 1u);
    EXPECT_TRUE(lines.Line(0).runs[0].style.bold);
    EXPECT_EQ(lines.Line(1).plain, "line two");
    EXPECT_EQ(form.notes()->FirstVisibleLine(), 0);
    form.finishupdate()->click();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(UpdateFormTest, StatusNamesTheHostBeingContacted) {
    Tupdate& form = *owned;
    UpdateStart("update.example.invalid", "16705");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(form.status()->text(), "Contacting update server at update.example.invalid...");
    form.cancelupdate()->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(ClientState.update.Phase, UpdateIdle);
}

}  // namespace
}  // namespace pk
