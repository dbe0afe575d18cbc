#include "app_fixture.h"
#include "sharing/policy.h"

namespace {

class Lifecycle : public TarnwickTest {
  protected:
    Lifecycle() : TarnwickTest(sim::Machine::Elevated()) { os.services.Add("lanmanserver").Running(); }
    std::string Value(const char* key, const char* name) const { return RegistryValue(key, name); }
    void DeleteValue(const char* key, const char* name) {
        plat::HKEY h = 0;
        ASSERT_EQ(os.registry.RegOpenKeyEx(plat::HKEY_CURRENT_USER, key, 0, plat::KEY_ALL_ACCESS, &h), 0);
        os.registry.RegDeleteValue(h, name);
        os.registry.RegCloseKey(h);
    }
};

TEST_F(Lifecycle, StartedFromAnotherFolderTheProgramKeepsItsFilesAndFindsItsHelpInItsOwnFolder) {
    StartAndSettle();
    EXPECT_EQ(os.kernel.GetCurrentDirectory(), Folder);
    EXPECT_NE(File("code.ini").find("[Info]"), std::string::npos);
    EXPECT_FALSE(os.files.Get("C:\\Windows\\System32\\code.ini").has_value());

    // Help opens the page beside the program, and nothing when it is missing.
    ChooseFromMenu("Help");
    EXPECT_TRUE(os.shell.Executed().empty());
    os.files.Put(std::string(Folder) + "\\main.html", "<html></html>");
    // Running as administrator, it starts no browser that would run so too, and says why.
    ChooseFromMenu("Help");
    EXPECT_TRUE(os.shell.Executed().empty());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("runs as administrator"), std::string::npos) << Boxes()[0];
    os.kernel.SetElevated(false);
    ChooseFromMenu("Help");
    ASSERT_EQ(os.shell.Executed().size(), 1u);
    EXPECT_EQ(os.shell.Executed()[0].Operation, "open");
    EXPECT_EQ(os.shell.Executed()[0].File, "C:\\Users\\Ann\\My Tools\\Tarnwick\\main.html");
    EXPECT_EQ(os.shell.Executed()[0].ShowCmd, 1);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(Lifecycle, QuitFromTheRestingGreenLampDimsDarkensExplodesAndRemovesTheIcon) {
    StartAndSettle();
    const size_t before = frames.size();
    const uint64_t t0 = os.kernel.GetTickCount64();
    ChooseFromMenu("Quit");
    const uint64_t took = os.kernel.GetTickCount64() - t0;
    EXPECT_EQ(FramesSince(before), Frames("GreenFul", 0, 2) + Frames("DeTre", 0, 0) + Frames("DeTre", 3, 3) +
                                       Frames("BoomLight", 0, 13) + Frames("Boom", 0, 0) + Frames("Boom", 13, 0));
    EXPECT_GE(took, 1640u);
    EXPECT_LT(took, 1700u);
    EXPECT_TRUE(app->Terminated());
    EXPECT_EQ(Shown(), "Boom[0]");
    const plat::UINT id = form->TrayIcon1->TrayIconId();
    app.reset();
    EXPECT_EQ(os.shell.FindIcon(id), nullptr);
    EXPECT_EQ(os.shell.Calls().back().Operation, 2u);
}

TEST_F(Lifecycle, QuitWhileTheLampPulsesWalksTheYellowToNormalFirst) {
    StartAndSettle();
    os.threads.Hold(true);
    DoubleClick();
    os.user.RunFor(300); // the pulse shows YellowHalf[3]
    ASSERT_EQ(Shown(), "YellowHalf[3]");
    const size_t before = frames.size();
    ChooseFromMenu("Quit");
    EXPECT_EQ(FramesSince(before), Frames("YellowFul", 0, 0) + Frames("YellowFul", 3, 4) + Frames("YellowFul", 0, 2) +
                                       Frames("DeTre", 0, 0) + Frames("DeTre", 3, 3) + Frames("BoomLight", 0, 13) +
                                       Frames("Boom", 0, 0) + Frames("Boom", 13, 0));
    EXPECT_TRUE(app->Terminated());
}

TEST_F(Lifecycle, AWorkerThatEndsAfterTheFormHasGoneFindsNoFormAndTheRecordIsWhole) {
    os.services.Add("Browser").Running().DependsOn({"lanmanserver"});
    StartAndSettle();
    os.threads.Hold(true);
    DoubleClick();
    ChooseFromMenu("Quit");
    app.reset();
    // The switch worker runs to its end with nobody left to tell.
    os.threads.Hold(false);
    EXPECT_EQ(os.threads.RunPending(), 1);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(File("srvStat.txt"), "Browser\r\n");
}

TEST_F(Lifecycle, SaveStateYesChecksTheHiddenItemAndOtherSpellingsDoNot) {
    os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nSaveState=yes\r\nLastState=on\r\n");
    StartAndSettle();
    EXPECT_TRUE(form->Savestate->Checked());
    EXPECT_FALSE(form->Savestate->Visible());
    // The restore request at start-up meets the counted start-up query: sharing stays on.
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.threads.StartedCount(), 1);

    app.reset();
    os.files.Put(std::string(Folder) + "\\code.ini", "[info]\r\nsavestate=Yes\r\n");
    Main::ResetUnitState();
    StartAndSettle();
    EXPECT_FALSE(form->Savestate->Checked());
}

TEST_F(Lifecycle, SaveLastStateTogglesItsMarkAndWritesYesOrNo) {
    StartAndSettle();
    form->SavestateClick(nullptr);
    EXPECT_TRUE(form->Savestate->Checked());
    EXPECT_NE(File("code.ini").find("SaveState=yes"), std::string::npos);
    form->SavestateClick(nullptr);
    EXPECT_FALSE(form->Savestate->Checked());
    EXPECT_NE(File("code.ini").find("SaveState=no"), std::string::npos);
    EXPECT_NE(File("code.ini").find("LastState=on"), std::string::npos);
}

TEST_F(Lifecycle, FirstStartRegistersAutostartOnceWithTheFolderQuotedForItsBlank) {
    StartAndSettle();
    EXPECT_EQ(RunValue(), "\"C:\\Users\\Ann\\My Tools\\Tarnwick\\Tarnwick.exe\"");
    EXPECT_EQ(Value(Main::MarkerKey, "Run"), "Yes");
    EXPECT_TRUE(form->RunAtStartup->Checked());

    // Removed by hand and started again: it does not come back.
    app.reset();
    DeleteValue(Main::RunKey, "Tarnwick");
    Main::ResetUnitState();
    StartAndSettle();
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_FALSE(form->RunAtStartup->Checked());

    // A Run key that refuses the write is offered once all the same, and quietly.
    app.reset();
    DeleteValue(Main::MarkerKey, "Run");
    os.registry.FailOpen(plat::HKEY_CURRENT_USER, Main::RunKey, plat::ERROR_ACCESS_DENIED);
    Main::ResetUnitState();
    StartAndSettle();
    EXPECT_EQ(Value(Main::MarkerKey, "Run"), "Yes");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Lifecycle, AFolderWithoutBlanksOrAtADriveRootIsWrittenAsItIs) {
    os.kernel.SetModuleFileName("C:\\Tools\\tw.exe");
    StartAndSettle();
    EXPECT_EQ(RunValue(), "C:\\Tools\\Tarnwick.exe");
    app.reset();

    DeleteValue(Main::MarkerKey, "Run");
    os.kernel.SetModuleFileName("D:\\Tarnwick.exe");
    Main::ResetUnitState();
    StartAndSettle();
    EXPECT_EQ(RunValue(), "D:\\\\Tarnwick.exe");
}

// Ω is not in code page 1252: an A call spells the folder with its best fit, which does not exist.
TEST_F(Lifecycle, AProgramFolderOutsideTheCodePageIsMadeCurrentAndNamedInTheAutostartValueAndHelp) {
    const std::string folder = "C:\\Tools\\Tarnwick \u03A9";
    os.kernel.SetModuleFileName(folder + "\\Tarnwick.exe");
    os.kernel.AddMissingFolder("C:\\Tools\\Tarnwick O");
    os.files.Put(folder + "\\main.html", "<html></html>");
    StartAndSettle();
    EXPECT_EQ(os.kernel.GetCurrentDirectory(), folder);
    EXPECT_EQ(os.files.Get(folder + "\\code.ini").value_or("<missing>"), "[Info]\r\nLastState=on\r\n");
    // Never the folder it was started from (C:\Windows\System32), which others may write to.
    EXPECT_EQ(RunValue(), "\"" + folder + "\\Tarnwick.exe\"");
    os.kernel.SetElevated(false);
    ChooseFromMenu("Help");
    ASSERT_EQ(os.shell.Executed().size(), 1u);
    EXPECT_EQ(os.shell.Executed()[0].File, folder + "\\main.html");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Lifecycle, RunAtStartupFollowsTheRegistryBeforeWritingAndItsMarkFollowsItAtEveryQuery) {
    StartAndSettle();
    ASSERT_TRUE(form->RunAtStartup->Checked());
    ChooseFromMenu("Run at startup"); // checked: delete
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_FALSE(form->RunAtStartup->Checked());
    ChooseFromMenu("Run at startup"); // clear: write
    EXPECT_EQ(RunValue(), "\"C:\\Users\\Ann\\My Tools\\Tarnwick\\Tarnwick.exe\"");
    EXPECT_TRUE(form->RunAtStartup->Checked());

    // Removed outside the program while checked: a click only clears the mark.
    DeleteValue(Main::RunKey, "Tarnwick");
    ChooseFromMenu("Run at startup");
    EXPECT_FALSE(form->RunAtStartup->Checked());
    EXPECT_EQ(RunValue(), "<missing>");

    // Present but empty counts as not registered: a click writes the full path.
    os.registry.SetString(plat::HKEY_CURRENT_USER, Main::RunKey, "Tarnwick", "");
    ChooseFromMenu("Run at startup");
    EXPECT_EQ(RunValue(), "\"C:\\Users\\Ann\\My Tools\\Tarnwick\\Tarnwick.exe\"");
    EXPECT_TRUE(form->RunAtStartup->Checked());

    // Removed outside the program again: the verifying query of the next switch clears the mark.
    DeleteValue(Main::RunKey, "Tarnwick");
    DoubleClick();
    os.user.RunFor(3000);
    EXPECT_FALSE(form->RunAtStartup->Checked());
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Lifecycle, APolicyDisablingAutostartKeepsTheRunValueUnwrittenAndGreysTheItem) {
    os.registry.SetDword(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "DisableAutoStart", 1);
    os.registry.SetString(plat::HKEY_CURRENT_USER, Main::RunKey, "Tarnwick", "C:\\Old\\Tarnwick.exe");
    StartAndSettle();
    EXPECT_EQ(RunValue(), "<missing>"); // the old value would start it at logon all the same
    EXPECT_EQ(Value(Main::MarkerKey, "Run"), "<missing>");
    EXPECT_FALSE(form->RunAtStartup->Enabled());
    EXPECT_FALSE(form->RunAtStartup->Checked());
    DoubleClick();
    os.user.RunFor(3000);
    EXPECT_EQ(RunValue(), "<missing>");

    // A value of another type is not the policy: the next start is a first start.
    app.reset();
    os.registry.SetString(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "DisableAutoStart", "1");
    Main::ResetUnitState();
    StartAndSettle();
    EXPECT_EQ(RunValue(), "\"C:\\Users\\Ann\\My Tools\\Tarnwick\\Tarnwick.exe\"");
    EXPECT_TRUE(form->RunAtStartup->Enabled());

    // A policy of 0 leaves the choice to the user.
    os.registry.SetDword(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "DisableAutoStart", 0);
    ChooseFromMenu("Run at startup");
    EXPECT_EQ(RunValue(), "<missing>");
    ChooseFromMenu("Run at startup");

    // Set while the item is still enabled: a click writes and removes nothing; the next switch
    // applies it as a start would.
    os.registry.SetDword(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "DisableAutoStart", 1);
    ChooseFromMenu("Run at startup");
    EXPECT_EQ(RunValue(), "\"C:\\Users\\Ann\\My Tools\\Tarnwick\\Tarnwick.exe\"");
    EXPECT_FALSE(form->RunAtStartup->Enabled());
    DoubleClick();
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Lifecycle, InstalledPerMachineAutostartIsTheMachinesRunValueAndNoUserValueIsWritten) {
    // AUTOSTART=1: the installer's per-machine value and its record of the choice.
    os.registry.SetDword(plat::HKEY_LOCAL_MACHINE, "Software\\Tarnwick", "AutoStart", 1);
    os.registry.SetString(plat::HKEY_LOCAL_MACHINE, Main::RunKey, "Tarnwick",
                          "\"C:\\Users\\Ann\\My Tools\\Tarnwick\\Tarnwick.exe\"");
    os.registry.SetString(plat::HKEY_CURRENT_USER, Main::RunKey, "Tarnwick", "C:\\Old\\Tarnwick.exe");
    StartAndSettle();
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_EQ(Value(Main::MarkerKey, "Run"), "<missing>");
    EXPECT_TRUE(form->RunAtStartup->Checked());
    EXPECT_FALSE(form->RunAtStartup->Enabled());

    // AUTOSTART=0: no Run value anywhere, and none written by a first start.
    app.reset();
    os.registry.SetDword(plat::HKEY_LOCAL_MACHINE, "Software\\Tarnwick", "AutoStart", 0);
    os.registry.SetString(plat::HKEY_LOCAL_MACHINE, Main::RunKey, "Tarnwick", "");
    Main::ResetUnitState();
    StartAndSettle();
    EXPECT_EQ(RunValue(), "<missing>");
    EXPECT_FALSE(form->RunAtStartup->Checked());
    EXPECT_FALSE(form->RunAtStartup->Enabled());
}

} // namespace

namespace {

// Running as administrator from a folder another account may change: that account decides
// what runs here, so the tray switches nothing and says why.
TEST_F(Lifecycle, AnElevatedTrayInAnotherAccountsFolderRefusesToSwitchWithItsBox) {
    os.kernel.SetModuleFileName("C:\\Tools\\Tarnwick\\Tarnwick.exe");
    os.files.DescribeFolder("C:\\Tools", "Bob", false);
    StartAndSettle();
    DoubleClick();
    os.user.RunFor(4000);
    EXPECT_TRUE(os.services.Actions().empty());
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("C:\\Tools\\Tarnwick, which another account may change"), std::string::npos)
        << Boxes()[0];
    EXPECT_FALSE(os.files.FolderExists("C:\\ProgramData\\Tarnwick")) << "nothing made for it either";
}

} // namespace
