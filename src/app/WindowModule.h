#pragma once

// The window half of the application lives in a loadable module, so that the self-test (and
// any other run without a window) never loads the GUI libraries: loading Qt's widgets, the
// windowing and font stacks would cost a self-test more than the CLI run it waits for.
namespace WindowModule {

// The module's entry point, looked up by name.
inline constexpr char kEntryPoint[] = "tarnwick_run_window";
using Entry = int (*)(int *argc, char **argv);

// Where the module is looked for, next to the executable first (build tree, app bundle), then
// in the installed library folder.
inline constexpr const char *kRelativeLocations[] = {
    "tarnwick-window.so",
    "../lib/tarnwick/tarnwick-window.so",
    "../PlugIns/tarnwick-window.so",
};

// What the user reads when no window can be shown, from the program or from the module.
inline constexpr char kNoDisplay[] = "tarnwick: cannot open a window: no usable display. Set "
                                     "DISPLAY or WAYLAND_DISPLAY, or run 'tarnwick --self-test'.\n";

} // namespace WindowModule
