// Power cuts under load. A camera process keeps switching schemes, changing
// parameters and saving, and is killed (with any shell command it runs) at a
// random moment, a few hundred times over. After every cut the files must
// each hold a whole content the camera wrote - the one before the cut or a
// later one - and a fresh start on the same flash must boot and apply them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "controllers/builtin/Hi351xSenseController.h"
#include "controllers/serial/visca/FCBEV7310SenseController.h"
#include "platform/GThread.h"
#include "platform/SensorParameterParser.h"
#include "platform/XmlConfigure.h"
#include "sim/SimBoard.h"
#include "sim/SimSerialPort.h"
#include "sim/visca/SimViscaCamera.h"
#include "support/TestController.h"

namespace {

const char* const kDir = "/mnt/mtd/code/config_file";
const char* const kState = "/mnt/mtd/code/config_file/sensor.xml";
const int kSchemes = 4;

// Fewer cuts where every process start and every step costs many times more.
#if defined(__arm__) || defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
const int kScale = 4;
#else
const int kScale = 1;
#endif

// A camera under test: its controller and module, and the ids the load sets
// to one common value before each save, so that a file holding two values
// among them is a mix of two saves.
struct Camera {
    int nModuleId;
    const char* szDetail;
    ISensorController* (*pfnCreate)();
    IUARTController* (*pfnModule)();
    std::vector<int> marks;
    int nValues;  // the marks take 0 .. nValues - 1
};

template <class T, class Base>
Base* make() {
    return new T();
}

const Camera kHi351x = {60,
                        "isInfrared=0;GPIO=1,2,0",
                        make<Hi351xSenseController, ISensorController>,
                        make<SimSerialPort, IUARTController>,
                        {1, 2, 3, 4},
                        101};
const Camera kFcb = {85,
                     "RS485=/dev/ttyAMA1;isInfrared=0;generation=1",
                     make<FCBEV7310SenseController, ISensorController>,
                     make<SimViscaCamera, IUARTController>,
                     {24, 25},
                     256};

typedef std::map<std::string, std::string> Files;

double now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class PowerCutTest : public testing::Test {
protected:
    PowerCutTest() : m_board(m_pGpio) {
        layBoard(m_root, kSchemes);
        m_root.writeFile("/hd1/program/config/ZMAParam.txt",
                         "0 1000 4096 49152\n16384 4000 8192 49408\n31424 30000 28672 50688\n");
        // The killed camera's shell commands become this process's to reap.
        prctl(PR_SET_CHILD_SUBREAPER, 1);
    }

    // Starts the camera as a host does; 1 when init succeeded.
    int boot(SafePointer<ISensorController>& p_camera, const Camera& p_kind) {
        p_camera = SafePointer<ISensorController>(p_kind.pfnCreate());
        p_camera->setOperator(SafePointer<IUARTController>(p_kind.pfnModule()), m_gpio);
        return p_camera->init(
            1, ModuleConfigure(p_kind.nModuleId, p_kind.szDetail, "RS485=9600,8,0,0"),
            VideoResolution(1920, 1080));
    }

    // A start in this process, its threads settled, its console quiet; the
    // real time it took.
    double quietBoot(SafePointer<ISensorController>& p_camera, const Camera& p_kind) {
        double start = now();
        testing::internal::CaptureStdout();
        int booted = boot(p_camera, p_kind);
        bool settled = m_root.clock().settle(booted ? 1 : 0);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(1, booted);
        EXPECT_TRUE(settled);
        return now() - start;
    }

    // Stops the camera (its thread's last words unprinted).
    static void quietStop(SafePointer<ISensorController>& p_camera) {
        testing::internal::CaptureStdout();
        p_camera.reset();
        testing::internal::GetCapturedStdout();
    }

    // The child: starts, then switches schemes, marks and saves until killed.
    [[noreturn]] void runUnderLoad(const Camera& p_kind, unsigned p_nFirst, bool p_bLoad) {
        pid_t parent = getppid();
        setpgid(0, 0);
        int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        SafePointer<ISensorController> camera;
        if (!boot(camera, p_kind)) {
            _exit(3);
        }
        // A first start cut short must leave what an uncut one lays: the
        // mode changes only under load, and the load starts, as a host's
        // requests do, once the thread's first cycle has applied the scheme
        // of the hour (it sets the index, then applies under the parameter
        // lock): before, the two would mix their values in one save.
        if (p_bLoad) {
            int scheme = -2;
            for (int waited = 0; waited < 10000 && scheme == -2; ++waited) {
                usleep(1000);
                camera->getParamScheme(scheme);
            }
            std::string applied;
            camera->getParameters("", applied);
            camera->setParamMode(0);
        }
        for (unsigned step = p_nFirst; p_bLoad && getppid() == parent; ++step) {
            camera->setParamScheme(static_cast<int>(step % kSchemes));
            for (int id : p_kind.marks) {
                camera->setParameter(id, static_cast<int>(step % p_kind.nValues));
            }
            camera->flush();
        }
        pause();
        _exit(4);
    }

    // Starts the child and cuts its power after the given time (and the
    // power of any shell command it runs); false when it ended by itself.
    bool cutAfter(const Camera& p_kind, unsigned p_nFirst, bool p_bLoad, double p_dSeconds) {
        EXPECT_EQ(0, GThread::runningCount()) << "a thread would not survive the fork";
        pid_t child = fork();
        if (child == 0) {
            runUnderLoad(p_kind, p_nFirst, p_bLoad);
        }
        setpgid(child, child);
        usleep(static_cast<useconds_t>(p_dSeconds * 1e6));
        kill(-child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        while (waitpid(-child, nullptr, 0) > 0) {
        }
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

    Files files() {
        Files result;
        std::istringstream names(m_root.listDir(kDir));
        for (std::string name; names >> name;) {
            result[name] = m_root.readFile(std::string(kDir) + "/" + name);
        }
        return result;
    }

    // A parameter file is whole when it is the file before, or parses and
    // holds the same ids with the same values apart from the marks, which
    // agree.
    static testing::AssertionResult wholeParameterFile(const Camera& p_kind,
                                                       const std::string& p_strBefore,
                                                       const std::string& p_strAfter) {
        if (p_strAfter == p_strBefore) {
            return testing::AssertionSuccess();
        }
        std::map<int, int> before;
        std::map<int, int> after;
        if (!SensorParameterParser::parseSensorParameter(p_strBefore, before) ||
            !SensorParameterParser::parseSensorParameter(p_strAfter, after) ||
            after.size() != before.size()) {
            return testing::AssertionFailure() << "not whole: \"" << p_strAfter << "\"";
        }
        for (const auto& entry : before) {
            bool marked = false;
            for (int id : p_kind.marks) {
                marked = marked || entry.first == id;
            }
            if (after.count(entry.first) == 0 || (!marked && after[entry.first] != entry.second) ||
                (marked && after[entry.first] != after[p_kind.marks[0]])) {
                return testing::AssertionFailure()
                       << "id " << entry.first << " in \"" << p_strAfter << "\"";
            }
        }
        return testing::AssertionSuccess();
    }

    // The scheme state: a scheme index and a mode.
    static testing::AssertionResult wholeState() {
        XmlConfigureTool tool;
        SafePointer<XmlConfigureNode> node;
        std::vector<SafePointer<XmlConfigureItem> > items;
        if (!tool.open(kState, 1, XmlConfigureTool::OPEN_READ) ||
            !tool.getConfigNode("paramScheme", node) || !node->getItemList(items) ||
            items.size() != 2) {
            return testing::AssertionFailure() << "sensor.xml is not whole";
        }
        int index = -99;
        int mode = -99;
        items[0]->getProperty("value", index);
        items[1]->getProperty("value", mode);
        if (index < -2 || index >= kSchemes || (mode != 0 && mode != 1)) {
            return testing::AssertionFailure() << "sensor.xml holds " << index << ", " << mode;
        }
        return testing::AssertionSuccess();
    }

    // Every file the cut left is a whole one; besides, only what an
    // unfinished replacement leaves (a dot file) may be there.
    void expectWholeFiles(const Camera& p_kind, const Files& p_before, const Files& p_after) {
        for (const auto& entry : p_after) {
            if (entry.first[0] == '.') {
                continue;
            }
            ASSERT_EQ(1u, p_before.count(entry.first)) << entry.first;
            if (entry.first == "sensor.xml") {
                EXPECT_TRUE(wholeState());
            } else {
                EXPECT_TRUE(wholeParameterFile(p_kind, p_before.at(entry.first), entry.second))
                    << entry.first;
            }
        }
    }

    // A fresh start on what the cut left: it boots, clears what unfinished
    // replacements left, and the camera holds the active scheme's marks.
    void expectCleanBoot(const Camera& p_kind) {
        SafePointer<ISensorController> camera;
        quietBoot(camera, p_kind);
        for (const auto& entry : files()) {
            EXPECT_NE('.', entry.first[0]) << "left behind: " << entry.first;
        }
        int scheme = -9;
        camera->getParamScheme(scheme);
        ASSERT_GE(scheme, 0);
        std::map<int, int> stored;
        ASSERT_TRUE(SensorParameterParser::parseSensorParameter(
            m_root.readFile(std::string(kDir) + "/sensor" + std::to_string(scheme) + ".cfg"),
            stored));
        for (int id : p_kind.marks) {
            int value = -1;
            EXPECT_TRUE(camera->getParameter(id, value));
            EXPECT_EQ(stored[id], value) << "id " << id << " of scheme " << scheme;
        }
        quietStop(camera);
    }

    // Cuts under load, each followed by the checks. A cut falls anywhere from
    // the start to a few dozen saves after it.
    void cutUnderLoad(const Camera& p_kind, int p_nCuts, unsigned p_nSeed) {
        double boot = 0.0;
        {
            SafePointer<ISensorController> camera;
            quietBoot(camera, p_kind);
            ASSERT_EQ(0, camera->flush());  // every file there from the start
            quietStop(camera);
            boot = quietBoot(camera, p_kind);
            quietStop(camera);
        }
        std::mt19937 random(p_nSeed);
        std::uniform_real_distribution<double> delay(0.0, 2.0 * boot + 0.02);
        for (int cut = 0; cut < p_nCuts && !HasFatalFailure(); ++cut) {
            SCOPED_TRACE("cut " + std::to_string(cut) + " of draw " + std::to_string(p_nSeed));
            const Files before = files();
            ASSERT_TRUE(cutAfter(p_kind, static_cast<unsigned>(cut) * 1000, true, delay(random)));
            expectWholeFiles(p_kind, before, files());
            if (!HasFatalFailure()) {
                expectCleanBoot(p_kind);
            }
        }
    }

    ScratchRoot m_root;
    SimGPIO* m_pGpio = new SimGPIO();
    SafePointer<IGPIO> m_gpio{m_pGpio};
    SimBoard m_board;
};

}  // namespace

TEST_F(PowerCutTest, TheSoCsCameraKeepsWholeFilesThroughCutsUnderLoad) {
    cutUnderLoad(kHi351x, 160 / kScale, 13);
}

TEST_F(PowerCutTest, AVISCACameraKeepsWholeFilesThroughCutsUnderLoad) {
    cutUnderLoad(kFcb, 80 / kScale, 31);
}

// The first start lays every file: the factory set, the scheme files copied
// from it and the scheme state. A cut anywhere in it leaves files that the
// next start completes to exactly what an uncut first start lays.
TEST_F(PowerCutTest, ACutDuringTheFirstStartIsCompletedByTheNext) {
    Files reference;
    double boot = 0.0;
    {
        SafePointer<ISensorController> camera;
        boot = quietBoot(camera, kHi351x);
        reference = files();
        quietStop(camera);
    }
    std::mt19937 random(7);
    std::uniform_real_distribution<double> delay(0.0, 1.2 * boot);
    for (int cut = 0; cut < 32 / kScale && !HasFatalFailure(); ++cut) {
        SCOPED_TRACE("cut " + std::to_string(cut));
        for (const auto& entry : files()) {
            unlink(m_root.path(std::string(kDir) + "/" + entry.first).c_str());
        }
        ASSERT_TRUE(cutAfter(kHi351x, 0, false, delay(random)));
        SafePointer<ISensorController> camera;
        quietBoot(camera, kHi351x);
        EXPECT_EQ(reference, files());
        quietStop(camera);
    }
}
