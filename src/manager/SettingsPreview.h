#pragma once

#include <functional>

// A setting the author tries out in an open dialog: the model holds the new
// value so that every window shows it at once, yet the value is the author's
// only once confirmed. Whatever stores the user's settings first ends every
// open preview, which puts the value from before it back, so a quit or a
// sign-out in the middle of a preview stores what the author last confirmed.
// GUI thread only, like the model.
class SettingsPreview
{
public:
    SettingsPreview() = default;
    SettingsPreview(const SettingsPreview&) = delete;
    SettingsPreview& operator=(const SettingsPreview&) = delete;
    // A preview never confirmed puts its value back as it goes.
    ~SettingsPreview();

    // Call before the model takes a value to try; putBack restores the value
    // from before. An open preview keeps the putBack it began with.
    void begin(std::function<void()> putBack);
    // The author confirmed: the model's value stays and may be stored.
    void confirm();
    // The value from before goes back into the model; nothing when no
    // preview is open.
    void cancel();

    // Every open preview ends unconfirmed.
    static void cancelAll();

private:
    std::function<void()> m_putBack;
};
