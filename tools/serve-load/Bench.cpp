// --bench: the ONVIF read path alone, as many clients as asked, for a fixed
// number of requests: latency and rate to compare builds by.
#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>
#include <vector>

#include "Camera.h"
#include "Load.h"
#include "Onvif.h"
#include "Report.h"

bool runBench(Camera& p_camera, int p_nClients, long p_nRequests) {
    std::atomic<long> remaining{p_nRequests};
    std::atomic<long> failures{0};
    std::vector<LatencyLog> logs(static_cast<size_t>(p_nClients));
    std::vector<std::thread> threads;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    for (int index = 0; index < p_nClients; ++index) {
        LatencyLog* log = &logs[static_cast<size_t>(index)];
        threads.emplace_back([&p_camera, &remaining, &failures, log] {
            HttpClient client(p_camera.url());
            while (remaining.fetch_sub(1) > 0) {
                Reply reply =
                    client.soap(onvif::kImagingPath,
                                onvif::envelope(onvif::securityHeader(p_camera.operatorAccount()),
                                                onvif::getImagingSettings()));
                log->add("GetImagingSettings", reply.dMillis);
                onvif::Answer answer = onvif::read(reply.strBody);
                if (!reply.ok() || !answer.bParsed || answer.bFault) {
                    if (failures++ == 0) {
                        std::cerr << "serve-load: GetImagingSettings: " << reply.summary() << " "
                                  << answer.describe() << " " << answer.strReason << "\n";
                    }
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    LatencyLog all;
    for (const LatencyLog& log : logs) {
        all.merge(log);
    }
    static const std::vector<double> none;
    const std::vector<double>& samples =
        all.samples().empty() ? none : all.samples().begin()->second;
    std::cout << "\n| bench: GetImagingSettings | clients | requests | failed | per s | p50 ms | "
                 "p99 ms |\n|---|---|---|---|---|---|---|\n"
              << "| sensord hi351x | " << p_nClients << " | " << samples.size() << " | " << failures
              << " | " << fixed(samples.size() / seconds) << " | "
              << fixed(percentile(samples, 0.5), 2) << " | " << fixed(percentile(samples, 0.99), 2)
              << " |\n";
    return failures == 0 && !samples.empty();
}
