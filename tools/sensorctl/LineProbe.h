#ifndef SENSORCTL_LINEPROBE_H
#define SENSORCTL_LINEPROBE_H

#include <string>
#include <vector>

#include "controllers/serial/SerialSetup.h"
#include "framework/IUARTController.h"

// "9600 8N1": a line's settings as people write them.
std::string lineText(const SerialLineSettings& p_line);
// "9600,8,0,0": as a module configuration's parameter text gives them.
std::string lineParameters(const SerialLineSettings& p_line);

// One request and the bytes that came back for it.
struct ProbeExchange {
    std::string strSent;
    std::string strReceived;
};

// What a probe of a serial line found.
struct ProbeResult {
    enum Outcome {
        IDENTIFIED,  // a protocol answered a request twice alike
        UNRELIABLE,  // it answered a request, then nothing more
        SILENT       // no protocol's reply came back at any line setting tried
    };
    Outcome eOutcome = SILENT;
    // IDENTIFIED and UNRELIABLE: the protocol ("VISCA"), whether its frames
    // are characters, the line it answered on, every request sent to it
    // there with what came back, and what the replies say.
    std::string strProtocol;
    bool bText = false;
    SerialLineSettings line;
    std::vector<ProbeExchange> exchanges;
    std::string strReading;
    // The module variants the replies fit, as sensorctl's simulator kinds
    // name them ("visca", "cmd7300").
    std::vector<std::string> kinds;
    // SILENT: the first line where bytes came back that no protocol took
    // (noise, or a module at other settings), or empty.
    std::string strNoiseAt;
    int nLinesTried = 0;
    int nRequests = 0;
    double dSeconds = 0.0;
};

// Finds out which protocol the module on a serial line speaks, and at which
// line settings. For each line setting in turn, each protocol this library
// speaks (VISCA and its CMD relatives, hex text, Effio, IT1, ITN, Seawolf)
// sends one of its read requests; the first whose reply decodes is asked the
// same again, which must bring the same data, and a second request, and the
// probe ends there: nothing is sent at other settings once a module has
// answered. Only read requests and inquiries go
// out, to camera address 1 (never a broadcast), and each protocol's requests
// were chosen so that no module of the other protocols takes them for a
// write. A reply that is only the request given back (a line that echoes) is
// no answer.
//
// The first wait for a reply allows a prompt module. A busy one answers
// after it: its request draws silence and its reply comes back later, while
// another protocol is being asked or when the line is listened to once more
// after the last request. A line setting where both happened is questioned
// again from the first protocol, with a wait that allows a slow module; a
// line that stays silent costs that one listen.
//
// The port's read wait is counted in 100 ms steps (PosixUARTController).
class LineProbe {
public:
    LineProbe(IUARTController& p_port, int p_nIndex) : m_port(p_port), m_nIndex(p_nIndex) {}

    // Tries the lines in order until a protocol answers; no line is begun
    // once p_dBudgetSeconds have passed.
    ProbeResult run(const std::vector<SerialLineSettings>& p_lines, double p_dBudgetSeconds);

    // How long the probe waits for a reply to begin at a rate, in
    // milliseconds: first, and when a line setting is questioned again for a
    // slow module.
    static int firstWaitMs(int p_nBaudRate);
    static int slowWaitMs(int p_nBaudRate);

    // The line settings worth trying, most likely first: the usual rates
    // 2400..115200 (those of p_usual first) in each framing of p_usual (8N1
    // first), then with even and with odd parity.
    static std::vector<SerialLineSettings> lines(const std::vector<SerialLineSettings>& p_usual);
    // The protocols in the order tried.
    static std::vector<std::string> protocols();

private:
    enum Heard { DECODED, NOTHING, UNDECODED };

    // Sends a protocol's request, again while what comes back does not
    // decode (also while nothing does, when p_bAgainOnSilence), up to three
    // times; every try goes into p_found's exchanges and count, the data of
    // the reply that decoded into p_strData.
    Heard ask(size_t p_nProtocol, int p_nRequest, int p_nWait, bool p_bAgainOnSilence,
              std::string& p_strData, ProbeResult& p_found);
    // Asks a protocol at the line set: its first request and, once that is
    // answered, the same again (the same data must come back) and the second
    // for what it says. IDENTIFIED; UNRELIABLE when the line fell silent
    // after the first answer; else SILENT, with p_bNoise when bytes came back
    // that were no answer. What was sent and read goes into p_found.
    ProbeResult::Outcome question(size_t p_nProtocol, int p_nWait, ProbeResult& p_found,
                                  bool& p_bNoise);
    // Questions each protocol in turn at the line set, until one is not
    // SILENT; what it found goes into p_found, the requests and the noise
    // into p_result.
    ProbeResult::Outcome questionEach(const SerialLineSettings& p_line, int p_nWait,
                                      ProbeResult& p_result, ProbeResult& p_found);
    // Takes off the line what earlier requests left in it, waiting up to
    // p_nWait steps for the first of it.
    void drain(int p_nWait = 0);

    IUARTController& m_port;
    int m_nIndex;
    // At the line setting being questioned: a request drew silence, and
    // bytes came back (an answer, noise, or left in the line).
    bool m_bDrewSilence = false;
    bool m_bHeardBytes = false;
};

#endif
