#include "Host.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "BoardFiles.h"
#include "LineRouter.h"
#include "TracingUART.h"
#include "platform/GThread.h"
#include "platform/GlobalEnv.h"
#include "platform/ModuleParameterParser.h"
#include "platform/PlatformRoot.h"
#include "platform/PosixUARTController.h"
#include "platform/SysfsGPIO.h"
#include "platform/XmlConfigure.h"

namespace {

// The scene brightness from which a module's own light sensor reports day.
const int kDayNightPinThreshold = 30;

// Directories of the camera's flash that the library expects to exist.
const char* const kBoardDirectories[] = {"/mnt/mtd/code/config_file", "/mnt/mtd/log", "/proc/wtd",
                                         "/factory_setting"};

void makeDirectories(const std::string& p_strPath) {
    for (std::string::size_type slash = p_strPath.find('/', 1);;
         slash = p_strPath.find('/', slash + 1)) {
        std::string prefix = slash == std::string::npos ? p_strPath : p_strPath.substr(0, slash);
        if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            throw CommandError("cannot create " + prefix);
        }
        if (slash == std::string::npos) {
            break;
        }
    }
}

std::string absolutePath(const std::string& p_strPath) {
    if (!p_strPath.empty() && p_strPath[0] == '/') {
        return p_strPath;
    }
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof(cwd)) == nullptr) {
        throw CommandError("cannot read the current directory");
    }
    std::string path = p_strPath;
    if (path.compare(0, 2, "./") == 0) {
        path = path.substr(2);
    }
    return std::string(cwd) + "/" + path;
}

FILE* g_pOut = nullptr;

// The scheme index and mode the camera stored before its last power-off.
// The library starts in automatic scheme mode whatever was stored; restoring
// the stored state is the host's job, and it reads it before init because
// the first thread cycle rewrites the index.
bool readStoredSchemeState(int& p_nIndex, int& p_nMode) {
    XmlConfigureTool tool;
    SafePointer<XmlConfigureNode> node;
    std::vector<SafePointer<XmlConfigureItem> > items;
    if (!tool.open("/mnt/mtd/code/config_file/sensor.xml", 1, XmlConfigureTool::OPEN_READ) ||
        !tool.getConfigNode("paramScheme", node) || !node->getItemList(items)) {
        return false;
    }
    bool haveIndex = false;
    bool haveMode = false;
    for (const auto& item : items) {
        std::string name;
        item->getProperty("name", name);
        if (name == "SchemeIndex") {
            haveIndex = item->getProperty("value", p_nIndex) != 0;
        } else if (name == "SchemeMode") {
            haveMode = item->getProperty("value", p_nMode) != 0;
        }
    }
    return haveIndex && haveMode;
}

}  // namespace

void parseTimeOfDay(const std::string& p_strText, int& p_nHour, int& p_nMinute) {
    int hour = -1;
    int minute = -1;
    char extra = 0;
    if (std::sscanf(p_strText.c_str(), "%2d:%2d%c", &hour, &minute, &extra) != 2 || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59) {
        throw CommandError("bad time of day '" + p_strText + "' (use HH:MM)", 2);
    }
    p_nHour = hour;
    p_nMinute = minute;
}

FILE* Host::out() {
    if (g_pOut == nullptr) {
        g_pOut = stdout;
    }
    return g_pOut;
}

Host::Host(const HostOptions& p_options)
    : m_options(p_options), m_pGpio(new SimGPIO()), m_simGpio(m_pGpio) {
    // The library talks on the console too; sensorctl keeps the original
    // stdout for its own output and, unless asked, sends the library's
    // console lines (also in its logs) to /dev/null.
    if (g_pOut == nullptr) {
        std::fflush(stdout);
        g_pOut = fdopen(dup(STDOUT_FILENO), "w");
        if (!m_options.bVerbose) {
            int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
            if (devNull >= 0) {
                dup2(devNull, STDOUT_FILENO);
                close(devNull);
            }
        }
    }
    m_module = findModule(m_options.strModule);
    m_strDetail = !m_options.strDetail.empty() ? m_options.strDetail : m_module.szDefaultDetail;
    wireSerialLine();
    if (m_options.strParams.empty()) {
        m_options.strParams = m_module.szDefaultParams;
    }
    GlobalEnv::getInstance()->setPrintFlag(m_options.bPrint);
    if (m_options.bVirtualTime || !m_options.strTime.empty()) {
        m_virtualClock.reset(new VirtualClock());
        if (!m_options.strTime.empty()) {
            int hour = 0;
            int minute = 0;
            parseTimeOfDay(m_options.strTime, hour, minute);
            m_virtualClock->setTimeOfDay(hour, minute);
        } else {
            m_virtualClock->setTimeOfDay(12, 0);
        }
        Clock::install(m_virtualClock.get());
    }
    m_strRoot = absolutePath(m_options.strRoot);
}

Host::~Host() {
    saveSimulatorState();
    releaseController();
    m_board.reset();
    m_uart.reset();
    m_gpio.reset();
    m_simGpio.reset();
    Clock::install(nullptr);
    PlatformRoot::setOverride("");
    std::fflush(out());
}

void Host::wireSerialLine() {
    if (m_options.strGpio == "sysfs") {
        m_gpio = SafePointer<IGPIO>(new SysfsGPIO());
    } else if (m_options.strGpio == "sim") {
        m_gpio = m_simGpio;
    } else {
        throw CommandError("unknown GPIO '" + m_options.strGpio + "' (sim or sysfs)", 2);
    }
    const std::string lensKey = m_module.szLensLine;
    if (!m_options.strLensUart.empty() && lensKey.empty()) {
        throw CommandError("module " + m_options.strModule +
                               " has no lens line (--lens-uart is for " + lensModuleNames() + ")",
                           2);
    }
    if (m_options.strDetail.empty()) {
        // The module's default detail names the devices given, under the
        // keys of their lines.
        if (!m_options.strUart.empty()) {
            m_strDetail = withEntry(m_strDetail, serialLineKey(m_strDetail), m_options.strUart);
        }
        if (!m_options.strLensUart.empty()) {
            m_strDetail = withEntry(m_strDetail, lensKey, m_options.strLensUart);
        }
    }
    const SimulatorKind* kind = findSimulator(m_module.szSerialSimulator);
    SafePointer<IUARTController> real;
    if (!m_options.strUart.empty() || !m_options.strLensUart.empty()) {
        real = SafePointer<IUARTController>(new PosixUARTController());
    }
    SafePointer<IUARTController> port;
    if (!m_options.strUart.empty()) {
        port = real;
    } else if (kind != nullptr) {
        m_pSimulator = kind->create(m_options.nVideoSystem);
        port = SafePointer<IUARTController>(m_pSimulator);
    } else {
        port = SafePointer<IUARTController>(new SimSerialPort());
    }
    if (!lensKey.empty() && kind != nullptr &&
        m_options.strUart.empty() != m_options.strLensUart.empty()) {
        port = routeLensLine(port, real, *kind);
    }
    if (m_options.bTrace) {
        TraceFormat format =
            kind != nullptr ? kind->trace : TraceFormat{false, TraceFormat::untilFF};
        m_uart = SafePointer<IUARTController>(new TracingUART(port, out(), format));
    } else {
        m_uart = port;
    }
}

// One of the module's lines on a real device, the other simulated: the lens
// line goes to a port of its own.
SafePointer<IUARTController> Host::routeLensLine(const SafePointer<IUARTController>& p_line,
                                                 const SafePointer<IUARTController>& p_real,
                                                 const SimulatorKind& p_kind) {
    const std::string lens = entryOf(m_strDetail, m_module.szLensLine);
    if (!m_options.strLensUart.empty()) {
        return SafePointer<IUARTController>(new LineRouter(p_line, lens, p_real));
    }
    // A simulator of its own answers the lens as its second line; its first
    // stays idle, as the module's registers are on the real device. Said
    // aloud: on a board, a lens that seems to take commands but never moves
    // would be a puzzle.
    std::fprintf(
        stderr, "sensorctl: the lens line of %s is simulated (--lens-uart DEVICE for a real one)\n",
        m_module.szName);
    SafePointer<IUARTController> simulator(p_kind.create(m_options.nVideoSystem));
    simulator->open(entryOf(m_strDetail, serialLineKey(m_strDetail)));
    return SafePointer<IUARTController>(new LineRouter(p_line, lens, simulator));
}

// A simulated module keeps its state across sensorctl runs, as a powered
// camera would between two commands.
std::string Host::simulatorStatePath() const {
    return m_strRoot + "/sim/simulator.state";
}

void Host::loadSimulatorState() {
    if (m_pSimulator == nullptr) {
        return;
    }
    std::ifstream in(simulatorStatePath());
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    m_pSimulator->loadState(text);
}

void Host::saveSimulatorState() {
    if (m_pSimulator == nullptr || m_strRoot.empty()) {
        return;
    }
    struct stat info;
    if (stat(m_strRoot.c_str(), &info) != 0) {
        return;
    }
    std::string state = m_pSimulator->saveState();
    if (state.empty()) {
        return;
    }
    mkdir((m_strRoot + "/sim").c_str(), 0755);
    std::ofstream(simulatorStatePath(), std::ios::trunc) << state << "\n";
}

void Host::linkRealDevice(const std::string& p_strDevice) {
    // Fixed paths are opened under the root: the real device is linked into
    // it, so the library reaches it the way it reaches every file.
    if (p_strDevice.empty() || p_strDevice[0] != '/') {
        return;
    }
    std::string link = m_strRoot + p_strDevice;
    makeDirectories(link.substr(0, link.rfind('/')));
    struct stat info;
    if (lstat(link.c_str(), &info) == 0) {
        unlink(link.c_str());
    }
    if (symlink(p_strDevice.c_str(), link.c_str()) != 0) {
        throw CommandError("cannot link " + p_strDevice + " into " + m_strRoot);
    }
}

// The parameter files a root holds are one module's: another module's ids
// and ranges do not fit them, so a root stays with the module it was first
// booted with.
void Host::checkRootModule() {
    std::ifstream in(m_strRoot + "/sim/module");
    int owner = 0;
    if (in >> owner && owner != m_module.nModuleId && m_module.szName[0] != '\0') {
        throw CommandError("root " + m_strRoot + " holds the parameter files of module " +
                               std::to_string(owner) + "; give module " + m_module.szName +
                               " a root of its own",
                           2);
    }
}

void Host::recordRootModule() {
    makeDirectories(m_strRoot + "/sim");
    std::ofstream(m_strRoot + "/sim/module") << m_module.nModuleId << "\n";
}

void Host::prepareRoot() {
    makeDirectories(m_strRoot);
    checkRootModule();
    PlatformRoot::setOverride(m_strRoot);
    linkRealDevice(m_options.strUart);
    linkRealDevice(m_options.strLensUart);
    if (m_options.strGpio == "sysfs") {
        linkRealDevice("/sys/class/gpio");
    }
    for (const char* directory : kBoardDirectories) {
        makeDirectories(m_strRoot + directory);
    }
    for (const BoardFile& file : boardFiles()) {
        std::string path = m_strRoot + file.strPath;
        struct stat info;
        if (stat(path.c_str(), &info) == 0) {
            continue;
        }
        m_bFirstBoot = true;
        makeDirectories(path.substr(0, path.rfind('/')));
        std::ofstream output(path, std::ios::binary);
        output << file.strContent;
        if (!output) {
            throw CommandError("cannot write " + path);
        }
    }
}

void Host::boot() {
    prepareRoot();
    loadSimulatorState();
    m_board.reset(new SimBoard(m_pGpio));
    m_board->setBrightness(m_options.nLight);
    connectBoardPins();
    m_bStoredScheme = readStoredSchemeState(m_nStoredScheme, m_nStoredMode);
    ModuleConfigure configure(m_module.nModuleId, m_strDetail, m_options.strParams);
    VideoResolution resolution(m_module.nVideoWidth, m_module.nVideoHeight);
    int initialised = 0;
    if (m_module.create != nullptr) {
        // A controller the factory never builds: the host builds, wires and
        // initialises it itself, as the manager would.
        m_controller = SafePointer<ISensorController>(m_module.create(m_module.nModuleId));
        m_controller->setOperator(m_uart, m_gpio);
        initialised = m_controller->init(m_options.nVideoSystem, configure, resolution);
        if (initialised) {
            m_gpio->start();
        }
    } else {
        m_manager.reset(new SensorControllerManager());
        m_manager->setUARTController(m_uart);
        m_manager->setGPIO(m_gpio);
        initialised = m_manager->init(m_options.nVideoSystem, resolution, configure);
        m_controller = m_manager->getSensorController();
    }
    if (!initialised) {
        if (m_module.szName[0] == '\0') {
            throw CommandError("module " + std::to_string(m_module.nModuleId) +
                               " is not driven by this library (sensorctl --help lists the "
                               "modules)");
        }
        throw CommandError("the controller did not initialise; see " + m_strRoot +
                           "/mnt/mtd/log/SensorError.log");
    }
    recordRootModule();
    waitForFirstCycle();
    m_nErrorLogSize = errorLogMark();
}

std::streamoff Host::errorLogMark() const {
    std::ifstream log(m_strRoot + "/mnt/mtd/log/SensorError.log", std::ios::ate);
    return log ? static_cast<std::streamoff>(log.tellg()) : 0;
}

std::string Host::errorSinceBoot() const {
    return errorSince(m_nErrorLogSize);
}

std::string Host::errorSince(std::streamoff p_nMark) const {
    std::ifstream log(m_strRoot + "/mnt/mtd/log/SensorError.log", std::ios::ate);
    // A log the library started afresh is read from its start.
    std::streamoff size = log ? static_cast<std::streamoff>(log.tellg()) : 0;
    log.seekg(size < p_nMark ? 0 : p_nMark);
    // The serial transports log each failed attempt ("===...") with the
    // bytes it sent and got ("0x81,0x1,..."), then their verdict ("the module
    // did not answer ..."); the controller's own line says what failed.
    std::string reason;
    std::string verdict;
    std::string line;
    while (std::getline(log, line)) {
        std::string::size_type start = line.find("] ");
        if (start == std::string::npos) {
            continue;
        }
        std::string text = line.substr(start + 2);
        if (text.compare(0, 3, "===") == 0 || text.compare(0, 2, "0x") == 0) {
            continue;
        }
        std::string& slot = text.compare(0, 11, "the module ") == 0 ? verdict : reason;
        if (slot.empty()) {
            slot = text;
        }
    }
    if (reason.empty() && verdict.empty()) {
        return "see " + m_strRoot + "/mnt/mtd/log/SensorError.log";
    }
    return reason.empty() ? verdict : verdict.empty() ? reason : reason + ": " + verdict;
}

void Host::connectBoardPins() {
    // The board wires the module's IR LEDs and its day/night level output to
    // the GPIO lines the detail text names.
    ModuleParameterParser detail;
    if (!detail.parse(m_strDetail)) {
        return;
    }
    std::string text;
    GPIOTriple pin;
    if (detail.getValue("GPIOInfraredLight", text) &&
        std::sscanf(text.c_str(), "%d,%d,%d", &pin.nGroup, &pin.nBit, &pin.nDayLevel) == 3) {
        m_board->setLedPin(pin);
    }
    if (detail.getValue("GPIODNLevel", text) &&
        std::sscanf(text.c_str(), "%d,%d,%d", &pin.nGroup, &pin.nBit, &pin.nDayLevel) == 3) {
        m_board->setDayNightPin(pin, kDayNightPinThreshold);
    }
}

void Host::waitForFirstCycle() {
    // The thread's first cycle applies the scheme of the hour: it sets the
    // scheme index first and holds the parameter lock until it is done. A
    // command must not race it, and threads a controller starts or stops
    // while it applies (a day/night setup) must be counted after it.
    for (int waited = 0; waited < 300; ++waited) {
        int scheme = -2;
        m_controller->getParamScheme(scheme);
        if (scheme != -2) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::string ignored;
    m_controller->getParameters("", ignored);
    if (backgroundThreads() > 1) {
        // Initialisation ends on the day picture whatever the module shows;
        // the module's state is in once the poll after it has run.
        pass(1.0);
    }
    if (m_virtualClock) {
        m_virtualClock->settle(backgroundThreads());
    }
    if (m_bStoredScheme && m_nStoredMode == 0) {
        // Manual scheme mode survives a restart only through the host.
        m_controller->setParamMode(0);
        if (m_nStoredScheme >= -1) {
            m_controller->setParamScheme(m_nStoredScheme);
        }
    }
}

void Host::releaseController() {
    // The last handle's release stops the controller's threads before it
    // is destroyed, whichever of the two holds it.
    m_controller.reset();
    m_manager.reset();
}

ISensorController& Host::controller() {
    return *m_controller;
}

int Host::backgroundThreads() {
    return GThread::runningCount();
}

void Host::pass(double p_dSeconds) {
    if (!m_virtualClock) {
        std::this_thread::sleep_for(std::chrono::duration<double>(p_dSeconds));
        return;
    }
    // A thread may start or stop another on the way (a day/night mode that
    // a scheme brings), so the count is taken as the threads run.
    m_virtualClock->runFor(p_dSeconds, &GThread::runningCount);
}
