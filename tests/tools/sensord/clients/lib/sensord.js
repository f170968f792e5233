'use strict';
// Runs a sensord for the client tests and reaches it the way outside
// clients do: the npm onvif package for ONVIF, curl for the JSON API.
// SENSORD names the program (scripts/test-clients sets it).

const { spawn } = require('node:child_process');
const http = require('node:http');

const { Cam } = require('onvif');
const { linerase } = require('onvif/lib/utils');

// Generous bounds: the machine may be busy building.
const CLIENT_TIMEOUT_MS = 20000;

const IMAGING_NS = 'http://www.onvif.org/ver20/imaging/wsdl';
const VIDEO_SOURCE = 'VideoSource_1';

const { Sensord: ServiceProcess, run, waitFor } = require('../../shared/process.js');

class Sensord extends ServiceProcess {
    constructor(module) {
        super(module, { suite: 'clients' });
    }
}

// ---- the JSON API through curl --------------------------------------------

// curl --digest as the user (the Operator unless given); resolves { status,
// body (parsed when JSON), text, trace (curl -v) }. base: another
// http://host:port to send it to.
async function curlApi(sensord, method, route, { user, body, extra, base } = {}) {
    const who = user || sensord.users.operator;
    const args = ['-sS', '-v', '--digest', '-u', `${who.name}:${who.password}`, '-X', method,
                  '--max-time', String(CLIENT_TIMEOUT_MS / 1000), '-w', '\n%{http_code}'];
    if (body !== undefined) {
        args.push('-H', 'Content-Type: application/json', '--data-binary',
                  typeof body === 'string' ? body : JSON.stringify(body));
    }
    args.push(...(extra || []), base ? base + route : sensord.url(route));
    const result = await run('curl', args);
    if (result.code !== 0) {
        throw new Error(`curl ${method} ${route} failed (${result.code}): ${result.stderr}`);
    }
    const cut = result.stdout.lastIndexOf('\n');
    const text = result.stdout.slice(0, cut);
    let parsed;
    try {
        parsed = JSON.parse(text);
    } catch (e) {
        parsed = undefined;
    }
    return { status: Number(result.stdout.slice(cut + 1)), body: parsed, text,
             trace: result.stderr };
}

async function getJson(sensord, route, user) {
    const answer = await curlApi(sensord, 'GET', route, { user });
    if (answer.status !== 200) {
        throw new Error(`GET ${route}: ${answer.status} ${answer.text}`);
    }
    return answer.body;
}

async function parameters(sensord) {
    return (await getJson(sensord, '/api/parameters')).parameters;
}

// What the simulated module holds (an Administrator's view).
async function held(sensord) {
    return (await getJson(sensord, '/api/simulation', sensord.users.admin)).held;
}

// The lowest-id descriptor of a role that is a range: the one ONVIF maps.
function rangeOfRole(list, role) {
    return list.find((p) => p.role === role && p.kind === 'range');
}

// A value the descriptor takes, other than p_avoid and not 0 (the onvif
// package leaves a 0 out of what it sends).
function otherValue(descriptor, avoid) {
    const { min, max } = descriptor;
    const step = descriptor.step || 1;
    for (const fraction of [0.25, 0.75, 0.5, 1, 0]) {
        const value = min + Math.round(((max - min) * fraction) / step) * step;
        if (value !== avoid && value !== 0 && value >= min && value <= max) {
            return value;
        }
    }
    throw new Error(`no other value for ${descriptor.name} (${min}..${max})`);
}

// Server-sent events read by `curl -N`; events() parses what came so far.
class EventTap {
    constructor(sensord, user) {
        this.text = '';
        this.child = spawn('curl', ['-sS', '-N', '--digest', '-u', `${user.name}:${user.password}`,
                                    sensord.url('/api/events')],
                           { stdio: ['ignore', 'pipe', 'pipe'] });
        this.child.stdout.on('data', (chunk) => { this.text += chunk; });
        this.child.stderr.on('data', (chunk) => { this.error = (this.error || '') + chunk; });
        this.exited = new Promise((resolve) => this.child.on('exit', resolve));
    }

    events() {
        const list = [];
        for (const block of this.text.split('\n\n')) {
            const event = { type: 'message', data: '' };
            for (const line of block.split('\n')) {
                const colon = line.indexOf(':');
                if (colon <= 0) {
                    continue;
                }
                const field = line.slice(0, colon);
                const value = line.slice(colon + 1).replace(/^ /, '');
                if (field === 'event') {
                    event.type = value;
                } else if (field === 'data') {
                    event.data += value;
                } else if (field === 'id') {
                    event.id = value;
                }
            }
            if (event.data) {
                try {
                    event.json = JSON.parse(event.data);
                } catch (e) {
                    event.json = undefined;
                }
                list.push(event);
            }
        }
        return list;
    }

    // The stream's opening "retry:" shows the connection is up.
    connected() {
        return waitFor(() => this.text.includes('retry:'), 'the event stream to open');
    }

    find(predicate, what) {
        return waitFor(() => this.events().find(predicate),
                       `${what}; the stream had:\n${this.text}${this.error || ''}`);
    }

    async close() {
        this.child.kill('SIGTERM');
        await this.exited;
    }
}

// A proxy that hides the SHA-256 challenge, so curl --digest answers the
// MD5 one: curl takes the first Digest challenge it is given.
function md5OnlyProxy(sensord) {
    const server = http.createServer((request, response) => {
        const chunks = [];
        request.on('data', (chunk) => chunks.push(chunk));
        request.on('end', () => {
            const upstream = http.request({ host: '127.0.0.1', port: sensord.port,
                                            method: request.method, path: request.url,
                                            headers: request.headers }, (answer) => {
                const headers = [];
                for (let i = 0; i < answer.rawHeaders.length; i += 2) {
                    const name = answer.rawHeaders[i];
                    const value = answer.rawHeaders[i + 1];
                    if (name.toLowerCase() === 'www-authenticate' && /SHA-256/i.test(value)) {
                        continue;
                    }
                    headers.push(name, value);
                }
                response.writeHead(answer.statusCode, headers);
                answer.pipe(response);
            });
            upstream.on('error', (error) => {
                response.writeHead(502);
                response.end(String(error));
            });
            upstream.end(Buffer.concat(chunks));
        });
    });
    return new Promise((resolve) => {
        server.listen(0, '127.0.0.1', () => resolve(server));
    });
}

// ---- ONVIF through the onvif package --------------------------------------

function connectCam(sensord, user, options = {}) {
    return new Promise((resolve, reject) => {
        const cam = new Cam({ hostname: '127.0.0.1', port: sensord.port, username: user.name,
                              password: user.password, timeout: CLIENT_TIMEOUT_MS, ...options },
        function connected(error) {
            if (error) {
                reject(error);
            } else {
                resolve(this);
            }
        });
    });
}

// A client that skips connect(): it borrows what a connected one learned
// (service addresses, video source, clock offset) and sends its own
// credentials with the first request it makes.
function borrowCam(sensord, connected, user) {
    const cam = new Cam({ hostname: '127.0.0.1', port: sensord.port, username: user.name,
                          password: user.password, timeout: CLIENT_TIMEOUT_MS,
                          autoconnect: false });
    cam.uri = connected.uri;
    cam.activeSource = connected.activeSource;
    cam.activeSources = connected.activeSources;
    cam.timeShift = connected.timeShift;
    return cam;
}

// cam.method(options, callback) as a promise of { data, xml }.
function call(cam, method, options) {
    return new Promise((resolve, reject) => {
        const done = (error, data, xml) => (error ? reject(error) : resolve({ data, xml }));
        if (options === undefined) {
            cam[method](done);
        } else {
            cam[method](options, done);
        }
    });
}

// An Imaging operation the package has no method for, through its own
// request helper (its envelope, its credentials); resolves with the
// response element, flattened as the package flattens its answers.
function imagingRequest(cam, operation, inner) {
    return new Promise((resolve, reject) => {
        cam._request({
            service: 'imaging',
            body: cam._envelopeHeader() + `<${operation} xmlns="${IMAGING_NS}">` +
                  `<VideoSourceToken>${VIDEO_SOURCE}</VideoSourceToken>${inner || ''}` +
                  `</${operation}>` + cam._envelopeFooter(),
        }, (error, data, xml) => {
            if (error) {
                reject(error);
                return;
            }
            const key = operation.charAt(0).toLowerCase() + operation.slice(1) + 'Response';
            resolve({ data: linerase(data)[key], xml });
        });
    });
}

function asList(value) {
    if (value === undefined || value === null || value === '') {
        return [];
    }
    return Array.isArray(value) ? value : [value];
}

module.exports = {
    Sensord,
    waitFor,
    curlApi,
    getJson,
    parameters,
    held,
    rangeOfRole,
    otherValue,
    EventTap,
    md5OnlyProxy,
    connectCam,
    borrowCam,
    call,
    imagingRequest,
    asList,
    VIDEO_SOURCE,
};
