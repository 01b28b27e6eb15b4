#include "platform/gtk/gtk_dialog.h"

#include <gtk/gtk.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace velmora::platform::gtk {

namespace {

// The theme and font are pinned so that the dialog looks the same on every
// machine; the controls are made compact enough for their template sizes.
const char kCompactStyle[] =
    "button, entry, combobox button { min-height: 0; padding: 1px 4px; }"
    "checkbutton { min-height: 0; padding: 0; }"
    "checkbutton check { min-width: 12px; min-height: 12px; }"
    "label { padding: 0; }";

DialogShownHook& ShownHook() {
    static DialogShownHook hook;
    return hook;
}

GtkWidget* shownWindow = nullptr;
GtkWidget* shownArea = nullptr;
const std::map<int, GtkWidget*>* shownWidgets = nullptr;

struct OpenDialog {
    const DialogLayout* layout = nullptr;
    DialogController* controller = nullptr;
    GtkWidget* window = nullptr;
    std::map<int, GtkWidget*> widgets;
    bool refreshing = false;  // control updates from the record are not the user's
    int defaultButton = 1;
};

void Refresh(OpenDialog& dialog) {
    dialog.refreshing = true;
    for (const DialogControlLayout& control : dialog.layout->controls) {
        auto found = dialog.widgets.find(control.id);
        if (found == dialog.widgets.end() || control.id == -1) continue;
        GtkWidget* widget = found->second;
        DialogControlView view = dialog.controller->View(control.id);
        switch (control.kind) {
            case DialogControlKind::ComboBox: {
                GtkComboBoxText* combo = GTK_COMBO_BOX_TEXT(widget);
                gtk_combo_box_text_remove_all(combo);
                for (const std::string& item : view.items) gtk_combo_box_text_append_text(combo, item.c_str());
                gtk_combo_box_set_active(GTK_COMBO_BOX(combo), view.selection);
                break;
            }
            case DialogControlKind::Edit:
                gtk_entry_set_text(GTK_ENTRY(widget), view.text.c_str());
                break;
            case DialogControlKind::CheckBox:
                gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), view.checked);
                break;
            default:
                break;
        }
    }
    dialog.refreshing = false;
}

struct Signal {
    OpenDialog* dialog;
    int id;
};

void AfterUserAction(OpenDialog& dialog) {
    if (!dialog.controller->Ended()) Refresh(dialog);
}

void OnClicked(GtkButton*, gpointer data) {
    auto* signal = static_cast<Signal*>(data);
    if (signal->dialog->refreshing) return;
    signal->dialog->controller->Pressed(signal->id);
    AfterUserAction(*signal->dialog);
}

void OnToggled(GtkToggleButton* button, gpointer data) {
    auto* signal = static_cast<Signal*>(data);
    if (signal->dialog->refreshing) return;
    signal->dialog->controller->Toggled(signal->id, gtk_toggle_button_get_active(button));
    AfterUserAction(*signal->dialog);
}

void OnChanged(GtkComboBox* combo, gpointer data) {
    auto* signal = static_cast<Signal*>(data);
    int index = gtk_combo_box_get_active(combo);
    if (signal->dialog->refreshing || index < 0) return;
    signal->dialog->controller->Picked(signal->id, index);
    AfterUserAction(*signal->dialog);
}

// The close box and Escape are Cancel; Enter is the default button.
gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* dialog = static_cast<OpenDialog*>(data);
    dialog->controller->Pressed(2);
    AfterUserAction(*dialog);
    return TRUE;
}

gboolean OnKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    auto* dialog = static_cast<OpenDialog*>(data);
    if (event->keyval == GDK_KEY_Escape) {
        dialog->controller->Pressed(2);
    } else if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
        dialog->controller->Pressed(dialog->defaultButton);
    } else {
        return FALSE;
    }
    AfterUserAction(*dialog);
    return TRUE;
}

GtkWidget* MakeWidget(const DialogControlLayout& control) {
    switch (control.kind) {
        case DialogControlKind::PushButton:
        case DialogControlKind::DefaultPushButton:
            return gtk_button_new_with_label(control.text.c_str());
        case DialogControlKind::CheckBox:
            return gtk_check_button_new_with_label(control.text.c_str());
        case DialogControlKind::ComboBox:
            return gtk_combo_box_text_new();
        case DialogControlKind::Edit: {
            GtkWidget* entry = gtk_entry_new();
            gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
            gtk_entry_set_width_chars(GTK_ENTRY(entry), 1);
            return entry;
        }
        case DialogControlKind::Static:
        default: {
            GtkWidget* label = gtk_label_new(control.text.c_str());
            gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
            gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
            return label;
        }
    }
}

void PumpEvents() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace

bool StartGtk() {
    static int started = -1;
    if (started >= 0) return started == 1;
    // Not waiting for an accessibility bus that a bare X server has none of.
    setenv("NO_AT_BRIDGE", "1", 1);
    gdk_set_allowed_backends("x11");
    started = gtk_init_check(nullptr, nullptr) ? 1 : 0;
    if (started) {
        GtkSettings* settings = gtk_settings_get_default();
        g_object_set(settings, "gtk-theme-name", "Adwaita", "gtk-font-name", "DejaVu Sans 8",
                     "gtk-enable-animations", FALSE, nullptr);
        GtkCssProvider* style = gtk_css_provider_new();
        gtk_css_provider_load_from_data(style, kCompactStyle, -1, nullptr);
        gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(style),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_object_unref(style);
    }
    return started == 1;
}

bool RunModalDialog(const DialogLayout& layout, DialogController& controller) {
    if (!StartGtk()) return false;
    OpenDialog dialog;
    dialog.layout = &layout;
    dialog.controller = &controller;
    dialog.window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(dialog.window), layout.caption.c_str());
    gtk_window_set_modal(GTK_WINDOW(dialog.window), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog.window), FALSE);
    gtk_window_set_position(GTK_WINDOW(dialog.window), GTK_WIN_POS_CENTER);
    GtkWidget* area = gtk_fixed_new();
    gtk_widget_set_size_request(area, layout.width, layout.height);
    gtk_container_add(GTK_CONTAINER(dialog.window), area);

    std::vector<Signal> signals(layout.controls.size());
    controller.Initialise();
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const DialogControlLayout& control = layout.controls[i];
        GtkWidget* widget = MakeWidget(control);
        gtk_widget_set_size_request(widget, control.width, control.height);
        gtk_fixed_put(GTK_FIXED(area), widget, control.x, control.y);
        signals[i] = {&dialog, control.id};
        if (control.kind == DialogControlKind::DefaultPushButton) dialog.defaultButton = control.id;
        if (control.kind == DialogControlKind::CheckBox)
            g_signal_connect(widget, "toggled", G_CALLBACK(OnToggled), &signals[i]);
        else if (control.kind == DialogControlKind::ComboBox)
            g_signal_connect(widget, "changed", G_CALLBACK(OnChanged), &signals[i]);
        else if (control.kind != DialogControlKind::Static && control.kind != DialogControlKind::Edit)
            g_signal_connect(widget, "clicked", G_CALLBACK(OnClicked), &signals[i]);
        if (control.visible) gtk_widget_show(widget);
        if (control.id != -1) dialog.widgets[control.id] = widget;
    }
    g_signal_connect(dialog.window, "delete-event", G_CALLBACK(OnDelete), &dialog);
    g_signal_connect(dialog.window, "key-press-event", G_CALLBACK(OnKey), &dialog);
    Refresh(dialog);
    gtk_widget_show(area);
    gtk_widget_show(dialog.window);

    if (ShownHook()) {
        // Drawn before the hook looks at it.
        while (!gtk_widget_get_mapped(dialog.window)) gtk_main_iteration();
        for (int i = 0; i < 20; ++i) {
            PumpEvents();
            g_usleep(10000);
        }
        shownWindow = dialog.window;
        shownArea = area;
        shownWidgets = &dialog.widgets;
        ShownHook()(controller);
        shownWindow = nullptr;
        shownArea = nullptr;
        shownWidgets = nullptr;
        if (!controller.Ended()) Refresh(dialog);
    }
    while (!controller.Ended()) gtk_main_iteration();
    gtk_widget_destroy(dialog.window);
    PumpEvents();
    return true;
}

bool ChooseOpenFile(const FileRequest& request, std::string& chosen) {
    if (!StartGtk()) return false;
    GtkWidget* chooser = gtk_file_chooser_dialog_new(request.title.c_str(), nullptr,
                                                     GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
                                                     GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT,
                                                     nullptr);
    if (!request.filterPattern.empty()) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, request.filterName.c_str());
        // Windows patterns ignore case; GTK's do not, so both cases are offered.
        std::string patterns = request.filterPattern + ";";
        for (size_t start = 0, end; (end = patterns.find(';', start)) != std::string::npos; start = end + 1) {
            std::string pattern = patterns.substr(start, end - start);
            if (pattern.empty()) continue;
            gtk_file_filter_add_pattern(filter, pattern.c_str());
            gchar* lower = g_ascii_strdown(pattern.c_str(), -1);
            gtk_file_filter_add_pattern(filter, lower);
            g_free(lower);
        }
        gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(chooser), filter);
    }
    if (!request.proposal.empty() && g_file_test(request.proposal.c_str(), G_FILE_TEST_EXISTS))
        gtk_file_chooser_set_filename(GTK_FILE_CHOOSER(chooser), request.proposal.c_str());
    else if (g_file_test(request.initialDirectory.c_str(), G_FILE_TEST_IS_DIR))
        gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(chooser), request.initialDirectory.c_str());
    bool accepted = gtk_dialog_run(GTK_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT;
    if (accepted) {
        gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser));
        accepted = name != nullptr;
        if (name) chosen = name;
        g_free(name);
    }
    gtk_widget_destroy(chooser);
    PumpEvents();
    return accepted;
}

void WhenDialogShown(DialogShownHook hook) { ShownHook() = std::move(hook); }

void* ShownDialogWindow() { return shownWindow; }

void* ShownControlWidget(int controlId) {
    if (!shownWidgets) return nullptr;
    auto found = shownWidgets->find(controlId);
    return found == shownWidgets->end() ? nullptr : found->second;
}

bool CaptureShownDialog(std::vector<uint32_t>& pixels, int& width, int& height) {
    if (!shownArea) return false;
    GdkWindow* window = gtk_widget_get_window(shownArea);
    if (!window) return false;
    GtkAllocation box;
    gtk_widget_get_allocation(shownArea, &box);
    GdkPixbuf* image = gdk_pixbuf_get_from_window(window, box.x, box.y, box.width, box.height);
    if (!image) return false;
    width = gdk_pixbuf_get_width(image);
    height = gdk_pixbuf_get_height(image);
    int channels = gdk_pixbuf_get_n_channels(image);
    int stride = gdk_pixbuf_get_rowstride(image);
    const guchar* data = gdk_pixbuf_get_pixels(image);
    pixels.assign(static_cast<size_t>(width) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const guchar* p = data + y * stride + x * channels;
            pixels[static_cast<size_t>(y) * width + x] = 0xFF000000u | (p[0] << 16) | (p[1] << 8) | p[2];
        }
    g_object_unref(image);
    return true;
}

}  // namespace velmora::platform::gtk
