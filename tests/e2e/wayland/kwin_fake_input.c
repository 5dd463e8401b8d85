// Pointer and keyboard input through KWin's fake-input protocol, as a user's device would give it
// (the compositor routes it to whichever window is under the pointer or has the focus, Xwayland's
// included). Run in the test's Wayland session (WAYLAND_DISPLAY), with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 given to KWin. Each argument is one step:
//   move:X,Y      the pointer to X,Y (absolute, in the compositor's coordinates)
//   down:B up:B   press or release mouse button B (1 left, 2 middle, 3 right)
//   key:CODE      press and release the key with this Linux input code (28 Return, 108 Down...)
//   sleep:MS      wait MS milliseconds (the compositor has by then handled every step before)
#include <linux/input-event-codes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input* fake_input;

static void global(void* data, struct wl_registry* registry, uint32_t name, const char* interface,
                   uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
        fake_input = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
    }
}

static void global_remove(void* data, struct wl_registry* registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {global, global_remove};

static uint32_t button_code(int button) {
    switch (button) {
        case 1:
            return BTN_LEFT;
        case 2:
            return BTN_MIDDLE;
        default:
            return BTN_RIGHT;
    }
}

int main(int argc, char** argv) {
    struct wl_display* display = wl_display_connect(NULL);
    if (display == NULL) {
        fprintf(stderr, "kwin_fake_input: no Wayland display\n");
        return 1;
    }
    struct wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (fake_input == NULL) {
        fprintf(stderr, "kwin_fake_input: the compositor offers no fake input (version 4)\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake_input, "horalux tests", "end-to-end test input");
    for (int i = 1; i < argc; ++i) {
        int x = 0, y = 0, value = 0;
        if (sscanf(argv[i], "move:%d,%d", &x, &y) == 2) {
            org_kde_kwin_fake_input_pointer_motion_absolute(fake_input, wl_fixed_from_int(x),
                                                            wl_fixed_from_int(y));
        } else if (sscanf(argv[i], "down:%d", &value) == 1) {
            org_kde_kwin_fake_input_button(fake_input, button_code(value), 1);
        } else if (sscanf(argv[i], "up:%d", &value) == 1) {
            org_kde_kwin_fake_input_button(fake_input, button_code(value), 0);
        } else if (sscanf(argv[i], "key:%d", &value) == 1) {
            org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)value, 1);
            org_kde_kwin_fake_input_keyboard_key(fake_input, (uint32_t)value, 0);
        } else if (sscanf(argv[i], "sleep:%d", &value) == 1 && value >= 0 && value <= 10000) {
            const struct timespec pause = {value / 1000, (long)(value % 1000) * 1000000L};
            nanosleep(&pause, NULL);
        } else {
            fprintf(stderr, "kwin_fake_input: cannot read the step \"%s\"\n", argv[i]);
            return 2;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "kwin_fake_input: the connection to the compositor broke\n");
            return 1;
        }
    }
    org_kde_kwin_fake_input_destroy(fake_input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return 0;
}
