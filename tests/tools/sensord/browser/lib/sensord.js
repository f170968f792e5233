'use strict';
// Runs a sensord for the browser tests on the virtual clock, and reaches
// its JSON API from node as another client would (HTTP Digest, SHA-256).
// SENSORD names the program (scripts/test-browser sets it).

const { spawn, execFile } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const SENSORD = process.env.SENSORD;

// Generous bounds: the machine may be busy building.
const START_TIMEOUT_MS = 30000;
const STOP_TIMEOUT_MS = 15000;
const CLIENT_TIMEOUT_MS = 20000;

function requireSensord() {
    if (!SENSORD || !fs.existsSync(SENSORD)) {
        throw new Error(`set SENSORD to a built sensord (got "${SENSORD || ''}")`);
    }
    return SENSORD;
}

function run(program, args, input) {
    return new Promise((resolve) => {
        const child = execFile(program, args, { maxBuffer: 16 << 20 }, (error, stdout, stderr) => {
            resolve({ code: error ? (typeof error.code === 'number' ? error.code : -1) : 0,
                      stdout, stderr });
        });
        child.stdin.end(input || '');
    });
}

// Polls p_check (sync or async) until it returns something truthy; the
// waits between tries are short, the bound is generous.
async function waitFor(check, what, timeoutMs = 15000) {
    const end = Date.now() + timeoutMs;
    for (;;) {
        const last = await check();
        if (last) {
            return last;
        }
        if (Date.now() > end) {
            throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}

// One sensord in a scratch root of its own, on the virtual clock, with an
// Administrator and an Operator provisioned before its first start.
class Sensord {
    constructor(module) {
        this.module = module;
        this.root = fs.mkdtempSync(path.join(os.tmpdir(), `sensord-browser-${module}-`));
        const password = () => crypto.randomBytes(9).toString('base64');
        this.users = {
            admin: { name: 'root-t', level: 'Administrator', password: password() },
            operator: { name: 'operator-t', level: 'Operator', password: password() },
        };
        this.child = null;
        this.port = 0;
        this.log = '';
    }

    async provision() {
        for (const user of Object.values(this.users)) {
            const result = await run(requireSensord(),
                ['--root', this.root, 'user', 'add', user.name, '--level', user.level,
                 '--password-stdin'], user.password + '\n');
            if (result.code !== 0) {
                throw new Error(`sensord user add ${user.name} failed (${result.code}): ` +
                                result.stderr + result.stdout);
            }
        }
    }

    // Starts and waits for the line that gives the port.
    start() {
        if (this.child) {
            throw new Error('sensord is already running');
        }
        const args = ['--root', this.root, '--module', this.module, '--listen', '127.0.0.1:0',
                      '--virtual-time'];
        if (process.env.SENSORD_WEB_ROOT) {
            args.push('--web-root', process.env.SENSORD_WEB_ROOT);
        }
        const child = spawn(requireSensord(), args, { stdio: ['ignore', 'pipe', 'pipe'] });
        this.child = child;
        this.log = '';
        this.exited = new Promise((resolve) => {
            child.on('exit', (code, signal) => resolve({ code, signal }));
        });
        child.stdout.on('data', (chunk) => { this.log += chunk; });
        return new Promise((resolve, reject) => {
            const timer = setTimeout(() => {
                reject(new Error(`sensord --module ${this.module} did not start in ` +
                                 `${START_TIMEOUT_MS} ms:\n${this.log}`));
            }, START_TIMEOUT_MS);
            child.stderr.on('data', (chunk) => {
                this.log += chunk;
                const match = /serving on http:\/\/127\.0\.0\.1:(\d+)/.exec(this.log);
                if (match && !this.port) {
                    this.port = Number(match[1]);
                    clearTimeout(timer);
                    resolve(this.port);
                }
            });
            child.on('exit', (code, signal) => {
                clearTimeout(timer);
                reject(new Error(`sensord --module ${this.module} exited (${code}, ${signal}) ` +
                                 `before serving:\n${this.log}`));
            });
        });
    }

    // SIGTERM; resolves with the exit status once it is gone.
    async stop() {
        const child = this.child;
        if (!child) {
            return { code: 0, signal: null };
        }
        child.kill('SIGTERM');
        let timer;
        const timeout = new Promise((resolve) => {
            timer = setTimeout(() => resolve(null), STOP_TIMEOUT_MS);
        });
        const status = await Promise.race([this.exited, timeout]);
        clearTimeout(timer);
        this.child = null;
        this.port = 0;
        if (!status) {
            child.kill('SIGKILL');
            await this.exited;
            throw new Error(`sensord did not stop within ${STOP_TIMEOUT_MS} ms of SIGTERM:\n` +
                            this.log);
        }
        return status;
    }

    async restart() {
        const status = await this.stop();
        if (status.code !== 0) {
            throw new Error(`sensord exited ${status.code} (${status.signal}) on SIGTERM:\n` +
                            this.log);
        }
        await this.start();
    }

    // Whatever a failed test left: the process and the scratch root.
    async dispose() {
        if (this.child) {
            this.child.kill('SIGKILL');
            await this.exited;
            this.child = null;
        }
        fs.rmSync(this.root, { recursive: true, force: true });
    }

    url(route) {
        return `http://127.0.0.1:${this.port}${route}`;
    }
}

// ---- the JSON API from node, with HTTP Digest ------------------------------

function send(port, method, route, headers, body) {
    return new Promise((resolve, reject) => {
        const request = http.request({ host: '127.0.0.1', port, method, path: route, headers,
                                       timeout: CLIENT_TIMEOUT_MS }, (response) => {
            const chunks = [];
            response.on('data', (chunk) => chunks.push(chunk));
            response.on('end', () => resolve({ response, text: Buffer.concat(chunks).toString() }));
        });
        request.on('timeout', () => request.destroy(new Error(`${method} ${route} timed out`)));
        request.on('error', reject);
        request.end(body);
    });
}

function challengeOf(response) {
    const raw = response.rawHeaders;
    const offers = [];
    for (let i = 0; i < raw.length; i += 2) {
        if (raw[i].toLowerCase() === 'www-authenticate' && /^Digest /i.test(raw[i + 1])) {
            const fields = {};
            for (const m of raw[i + 1].matchAll(/(\w+)=(?:"([^"]*)"|([^,\s]*))/g)) {
                fields[m[1].toLowerCase()] = m[2] !== undefined ? m[2] : m[3];
            }
            offers.push(fields);
        }
    }
    return offers.find((o) => /SHA-256/i.test(o.algorithm || '')) || offers[0];
}

// One request as p_user (the Operator unless given): resolves { status, body
// (parsed when JSON), text }.
async function api(sensord, method, route, { user, body } = {}) {
    const who = user || sensord.users.operator;
    const payload = body === undefined ? undefined : JSON.stringify(body);
    const headers = payload === undefined ? {} : { 'Content-Type': 'application/json' };
    const first = await send(sensord.port, method, route, headers, payload);
    let answer = first;
    if (first.response.statusCode === 401) {
        const c = challengeOf(first.response);
        if (!c) {
            throw new Error(`${method} ${route}: 401 without a Digest challenge`);
        }
        const algorithm = /SHA-256/i.test(c.algorithm || '') ? 'sha256' : 'md5';
        const h = (text) => crypto.createHash(algorithm).update(text).digest('hex');
        const cnonce = crypto.randomBytes(8).toString('hex');
        const nc = '00000001';
        const ha1 = h(`${who.name}:${c.realm}:${who.password}`);
        const ha2 = h(`${method}:${route}`);
        const response = h(`${ha1}:${c.nonce}:${nc}:${cnonce}:auth:${ha2}`);
        let authorization = `Digest username="${who.name}", realm="${c.realm}", ` +
            `nonce="${c.nonce}", uri="${route}", algorithm=${c.algorithm || 'MD5'}, qop=auth, ` +
            `nc=${nc}, cnonce="${cnonce}", response="${response}"`;
        if (c.opaque !== undefined) {
            authorization += `, opaque="${c.opaque}"`;
        }
        answer = await send(sensord.port, method, route,
                            { ...headers, Authorization: authorization }, payload);
    }
    let parsed;
    try {
        parsed = JSON.parse(answer.text);
    } catch (e) {
        parsed = undefined;
    }
    return { status: answer.response.statusCode, body: parsed, text: answer.text };
}

async function getJson(sensord, route, user) {
    const answer = await api(sensord, 'GET', route, { user });
    if (answer.status !== 200) {
        throw new Error(`GET ${route}: ${answer.status} ${answer.text}`);
    }
    return answer.body;
}

// ---- the browser -----------------------------------------------------------

// Debian's Chromium unless CHROMIUM names another.
function chromiumPath() {
    for (const candidate of [process.env.CHROMIUM, '/usr/bin/chromium',
                             '/usr/bin/chromium-browser']) {
        if (candidate && fs.existsSync(candidate)) {
            return candidate;
        }
    }
    throw new Error('no Chromium: install the chromium package (scripts/test-browser does)');
}

module.exports = { Sensord, waitFor, api, getJson, chromiumPath, CLIENT_TIMEOUT_MS };
