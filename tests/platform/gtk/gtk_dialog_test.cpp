// The configuration dialog shown on GTK under an X server: a screenshot of
// its client area shows the visible controls where the template puts them
// and nothing where the hidden ones lie; picking and pressing in the shown
// dialog reach the procedure, and so do events given to the real widgets
// (the close box, Escape, Enter, a combo box's change). Skips when no
// display can be opened; ctest runs it under xvfb-run.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/config_dialog.h"
#include "platform/gtk/gtk_dialog.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/win32/dialog_controls.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "texture/texture_container.h"

namespace {

struct Shot {
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
    // Pixels of the rectangle (dialog units) that differ from the background.
    int Marked(int x, int y, int cx, int cy, uint32_t background) const {
        int count = 0;
        for (int py = y * 13 / 8; py < (y + cy) * 13 / 8 && py < height; ++py)
            for (int px = x * 6 / 4; px < (x + cx) * 6 / 4 && px < width; ++px) count += At(px, py) != background;
        return count;
    }
};

void Save(const Shot& shot, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(shot.width, shot.height, 24);
    for (int y = 0; y < shot.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, shot.height - 1 - y);
        for (int x = 0; x < shot.width; ++x) {
            uint32_t p = shot.At(x, y);
            line[x * 3 + FI_RGBA_RED] = BYTE(p >> 16);
            line[x * 3 + FI_RGBA_GREEN] = BYTE(p >> 8);
            line[x * 3 + FI_RGBA_BLUE] = BYTE(p);
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, path.c_str(), 0);
    FreeImage_Unload(bitmap);
}

class GtkDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!velmora::platform::gtk::StartGtk()) GTEST_SKIP() << "no display for GTK";
        velmora::testing::ResetEngineState();
        velmora::platform::ResetDialogControls();
        velmora::platform::InstallWindowSystem(
            std::make_unique<velmora::platform::SdlWindowSystem>(velmora::platform::VideoDriver::Display));
        SelectDisplayDevice(nullptr, 640, 480);
    }
    void TearDown() override {
        velmora::platform::gtk::WhenDialogShown(nullptr);
        velmora::platform::InstallWindowSystem(nullptr);
        lowTextures = 0;
    }
    INT_PTR Show() {
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kConfigDialogId), nullptr, ConfigDialogProc, 0);
    }
};

TEST_F(GtkDialogTest, ScreenshotShowsTheVisibleControlsOnly) {
    Shot shot;
    bool captured = false;
    velmora::platform::gtk::WhenDialogShown([&](velmora::platform::DialogController& user) {
        captured = velmora::platform::gtk::CaptureShownDialog(shot.pixels, shot.width, shot.height);
        user.Pressed(IDCANCEL);
    });
    EXPECT_EQ(Show(), 0);
    ASSERT_TRUE(captured);
    Save(shot, ::testing::TempDir() + "/config_dialog.png");
    EXPECT_EQ(shot.width, 329 * 6 / 4);
    EXPECT_EQ(shot.height, 207 * 13 / 8);
    // A corner of the client area that no control covers.
    uint32_t background = shot.At(shot.width - 3, 3);
    struct Area {
        const char* what;
        int x, y, cx, cy;
    };
    const Area visible[] = {{"OK", 7, 186, 50, 14},          {"Cancel", 272, 186, 50, 14},
                            {"device list", 69, 16, 133, 12}, {"mode list", 69, 32, 133, 12},
                            {"Harware device", 7, 16, 51, 8}, {"low textures", 69, 49, 104, 10},
                            {"Load time note", 207, 18, 61, 8}, {"Geforce note", 69, 64, 149, 8}};
    for (const Area& area : visible)
        EXPECT_GT(shot.Marked(area.x, area.y, area.cx, area.cy, background), 20) << area.what;
    const Area hidden[] = {{"Save settings", 7, 153, 58, 14},
                           {"Autorun", 69, 155, 41, 10},
                           {"Open QXD file", 7, 131, 58, 14},
                           {"Clear QX3 file", 210, 77, 55, 14},
                           {"scene name", 69, 80, 133, 10}};
    for (const Area& area : hidden)
        EXPECT_EQ(shot.Marked(area.x, area.y, area.cx, area.cy, background), 0) << area.what;
}

TEST_F(GtkDialogTest, PicksAndPressesInTheShownDialogReachTheProcedure) {
    selectedDevice = 3;
    selectedMode = 0;
    velmora::platform::gtk::WhenDialogShown([](velmora::platform::DialogController& user) {
        EXPECT_EQ(user.View(kModeComboBox).selection, 0);
        EXPECT_EQ(user.View(kModeComboBox).items.at(3), "800 x 600 x 32");
        user.Picked(kModeComboBox, 3);
        user.Toggled(kLowTexturesCheck, true);
        user.Pressed(IDOK);
    });
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(selectedMode, 3);
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 600);
    EXPECT_EQ(lowTextures, 1);
}

GtkWidget* ShownWidget(int controlId) {
    return static_cast<GtkWidget*>(velmora::platform::gtk::ShownControlWidget(controlId));
}

GtkWidget* ShownWindow() { return static_cast<GtkWidget*>(velmora::platform::gtk::ShownDialogWindow()); }

// An event as the X server would deliver it to the dialog's window.
GdkEvent* WindowEvent(GdkEventType type, GtkWidget* window) {
    GdkEvent* event = gdk_event_new(type);
    event->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    event->any.send_event = TRUE;
    return event;
}

void PressKey(guint keyval) {
    GtkWidget* window = ShownWindow();
    ASSERT_NE(window, nullptr);
    GdkEvent* event = WindowEvent(GDK_KEY_PRESS, window);
    event->key.keyval = keyval;
    event->key.time = GDK_CURRENT_TIME;
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(window));
    if (seat) gdk_event_set_device(event, gdk_seat_get_keyboard(seat));
    gtk_widget_event(window, event);
    gdk_event_free(event);
}

void ClickCloseBox() {
    GtkWidget* window = ShownWindow();
    ASSERT_NE(window, nullptr);
    GdkEvent* event = WindowEvent(GDK_DELETE, window);
    gtk_widget_event(window, event);
    gdk_event_free(event);
}

// A dialog that the event under test failed to end is cancelled, so that the
// failure shows instead of a modal loop that waits for ever.
void EndIfStillOpen(velmora::platform::DialogController& user, const char* what) {
    if (user.Ended()) return;
    ADD_FAILURE() << what << " did not end the dialog";
    user.Pressed(IDCANCEL);
}

int ActiveEntry(int controlId) { return gtk_combo_box_get_active(GTK_COMBO_BOX(ShownWidget(controlId))); }

TEST_F(GtkDialogTest, TheCloseBoxIsCancel) {
    selectedDevice = 3;
    selectedMode = 0;
    velmora::platform::gtk::WhenDialogShown([](velmora::platform::DialogController& user) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(ShownWidget(kModeComboBox)), 3);
        ClickCloseBox();
        EndIfStillOpen(user, "the close box");
    });
    EXPECT_EQ(Show(), 0);
    EXPECT_EQ(selectedMode, 0);  // Cancel takes nothing
    EXPECT_EQ(screenWidth, 640);
}

TEST_F(GtkDialogTest, EscapeIsCancelAndOtherKeysDoNothing) {
    selectedDevice = 3;
    selectedMode = 0;
    velmora::platform::gtk::WhenDialogShown([](velmora::platform::DialogController& user) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(ShownWidget(kModeComboBox)), 3);
        PressKey(GDK_KEY_a);
        PressKey(GDK_KEY_space);
        EXPECT_FALSE(user.Ended());
        PressKey(GDK_KEY_Escape);
        EndIfStillOpen(user, "Escape");
    });
    EXPECT_EQ(Show(), 0);
    EXPECT_EQ(selectedMode, 0);
}

TEST_F(GtkDialogTest, EnterIsTheDefaultButtonOk) {
    for (guint key : {GDK_KEY_Return, GDK_KEY_KP_Enter}) {
        selectedDevice = 3;
        selectedMode = 0;
        lowTextures = 0;
        velmora::platform::gtk::WhenDialogShown([key](velmora::platform::DialogController& user) {
            // A mode picked in the real list, the check box ticked on the real button.
            gtk_combo_box_set_active(GTK_COMBO_BOX(ShownWidget(kModeComboBox)), 3);
            EXPECT_EQ(user.View(kModeComboBox).selection, 3);
            EXPECT_EQ(ActiveEntry(kModeComboBox), 3);  // a mode pick refills nothing
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(ShownWidget(kLowTexturesCheck)), TRUE);
            EXPECT_TRUE(user.View(kLowTexturesCheck).checked);
            PressKey(key);
            EndIfStillOpen(user, "Enter");
        });
        EXPECT_EQ(Show(), 1) << key;
        EXPECT_EQ(selectedMode, 3) << key;
        EXPECT_EQ(screenWidth, 800) << key;
        EXPECT_EQ(screenHeight, 600) << key;
        EXPECT_EQ(lowTextures, 1) << key;
    }
}

TEST_F(GtkDialogTest, ADeviceChangedInTheRealListRefillsTheModesWithTheFirstSelected) {
    // A second listed device: the T&L name would keep slot 5 out of the list.
    std::snprintf(displayDevices[5].name, kDeviceNameSize, "Second HAL");
    selectedDevice = 3;
    selectedMode = 4;
    velmora::platform::gtk::WhenDialogShown([](velmora::platform::DialogController& user) {
        EXPECT_EQ(ActiveEntry(kDeviceComboBox), 0);
        EXPECT_EQ(ActiveEntry(kModeComboBox), 4);
        gtk_combo_box_set_active(GTK_COMBO_BOX(ShownWidget(kDeviceComboBox)), 1);
        // The procedure saw the selection end (CBN_SELENDOK) and refilled both lists.
        EXPECT_EQ(user.View(kModeComboBox).selection, 0);
        EXPECT_EQ(ActiveEntry(kDeviceComboBox), 1);
        EXPECT_EQ(ActiveEntry(kModeComboBox), 0);
        gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(ShownWidget(kDeviceComboBox)));
        EXPECT_STREQ(text, "Second HAL");
        g_free(text);
        gtk_button_clicked(GTK_BUTTON(ShownWidget(IDOK)));
        EndIfStillOpen(user, "the OK button");
    });
    EXPECT_EQ(Show(), 1);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 0);
    EXPECT_EQ(screenWidth, 640);
}

TEST_F(GtkDialogTest, TheRealCancelButtonCancels) {
    selectedDevice = 3;
    selectedMode = 0;
    velmora::platform::gtk::WhenDialogShown([](velmora::platform::DialogController& user) {
        gtk_combo_box_set_active(GTK_COMBO_BOX(ShownWidget(kModeComboBox)), 2);
        gtk_button_clicked(GTK_BUTTON(ShownWidget(IDCANCEL)));
        EndIfStillOpen(user, "the Cancel button");
    });
    EXPECT_EQ(Show(), 0);
    EXPECT_EQ(selectedMode, 0);
}

}  // namespace
