#ifndef SERVELOAD_BADINPUT_H
#define SERVELOAD_BADINPUT_H

class Camera;
class Report;

// The limits the harness starts sensord with, so that it knows them.
struct ServiceLimits {
    int nConnections = 64;
    int nRequestSeconds = 10;
};

// What a hostile or broken client may send, each tried once and its answer
// put into the report next to the answer it should get: an oversized body,
// XML that must be refused unparsed, bad credentials and replays, bad
// JSON and values, writes by a user who may only read, a client trickling
// its request, more connections than the limit. Values must stay as they
// were throughout.
void runBadInput(Camera& p_camera, Report& p_report, const ServiceLimits& p_limits);

#endif
