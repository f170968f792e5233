'use strict';
// What the node suites against sensord share: the program (SENSORD), a
// sensord on a scratch root with its users provisioned, and waiting for an
// event with a generous bound.

const { spawn, execFile } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const SENSORD = process.env.SENSORD;

// Generous bounds: the machine may be busy building.
const START_TIMEOUT_MS = 30000;
const STOP_TIMEOUT_MS = 15000;

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
    let last;
    for (;;) {
        last = await check();
        if (last) {
            return last;
        }
        if (Date.now() > end) {
            throw new Error(`timed out after ${timeoutMs} ms waiting for ${what}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
}

// One sensord in a scratch root of its own, with an Administrator, an
// Operator and a User provisioned before its first start. p_options.suite
// names the scratch root; p_options.args go on sensord's command line.
class Sensord {
    constructor(module, { suite = 'test', args = [] } = {}) {
        this.module = module;
        this.args = args;
        this.root = fs.mkdtempSync(path.join(os.tmpdir(), `sensord-${suite}-${module}-`));
        const password = () => crypto.randomBytes(9).toString('base64');
        this.users = {
            admin: { name: 'root-t', level: 'Administrator', password: password() },
            operator: { name: 'operator-t', level: 'Operator', password: password() },
            viewer: { name: 'viewer-t', level: 'User', password: password() },
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
        const child = spawn(requireSensord(),
            ['--root', this.root, '--module', this.module, '--listen', '127.0.0.1:0',
             ...this.args],
            { stdio: ['ignore', 'pipe', 'pipe'] });
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

module.exports = { Sensord, requireSensord, run, waitFor };
