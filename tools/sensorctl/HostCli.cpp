#include "HostCli.h"

#include "Modules.h"

void addHostOptions(CLI::App& p_app, HostOptions& p_options,
                    const std::string& p_strVirtualTimeHelp) {
    p_app.add_option("--root", p_options.strRoot, "Root directory of the camera (its flash)")
        ->capture_default_str();
    p_app.add_option("--module", p_options.strModule, "Module id or name")->capture_default_str();
    p_app.add_option("--detail", p_options.strDetail,
                     "Module detail text (key=value;...); default: the module's own");
    p_app.add_option("--params", p_options.strParams, "Module parameter text (key=value;...)");
    p_app
        .add_option("--video-system", p_options.nVideoSystem, "Video standard given to init (0, 1)")
        ->capture_default_str();
    p_app
        .add_option("--light", p_options.nLight, "Scene brightness of the simulated board, 0..100")
        ->check(CLI::Range(0, 100))
        ->capture_default_str();
    p_app.add_flag("--virtual-time", p_options.bVirtualTime, p_strVirtualTimeHelp);
    p_app.add_option("--time", p_options.strTime,
                     "Virtual time of day HH:MM (implies --virtual-time)");
    p_app.add_flag("--verbose", p_options.bVerbose, "Show the library's own console output");
    p_app.add_option("--uart", p_options.strUart,
                     "Real serial device for a serial module (default: its simulator)");
    p_app.add_option("--lens-uart", p_options.strLensUart,
                     "Real serial device for the lens line of " + lensModuleNames() +
                         " (default: its simulator's second line)");
    p_app.add_option("--gpio", p_options.strGpio, "GPIO: sim (simulated) or sysfs (Linux sysfs)")
        ->capture_default_str();
}
