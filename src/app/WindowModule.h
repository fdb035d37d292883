#pragma once

// The window half of the application lives in a loadable module, so that the self-test (and
// any other run without a window) never loads the GUI libraries: loading Qt's widgets, the
// windowing and font stacks would cost a self-test more than the CLI run it waits for.
namespace WindowModule {

// The module's file and entry point, looked up by name. The desktop's search is served by a module
// of its own for the same reason: the D-Bus library is loaded only where it is used.
inline constexpr char kFile[] = "tarnwick-window.so";
inline constexpr char kEntryPoint[] = "tarnwick_run_window";
inline constexpr char kSearchFile[] = "tarnwick-search.so";
inline constexpr char kSearchEntryPoint[] = "tarnwick_run_search_provider";
using Entry = int (*)(int *argc, char **argv);

// Where a module is looked for, next to the executable first (build tree), then in the installed
// library folder, then in an app bundle.
inline constexpr const char *kFolders[] = {"", "../lib/tarnwick/", "../PlugIns/"};

// What the user reads when no window can be shown, from the program or from the module.
inline constexpr char kNoDisplay[] = "tarnwick: cannot open a window: no usable display. Set "
                                     "DISPLAY or WAYLAND_DISPLAY, or run 'tarnwick --self-test'.\n";

} // namespace WindowModule
