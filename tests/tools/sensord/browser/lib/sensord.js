'use strict';
// Runs a sensord for the browser tests on the virtual clock, and reaches
// its JSON API from node as another client would (HTTP Digest, SHA-256).
// SENSORD names the program (scripts/test-browser sets it).

const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');

// Generous bounds: the machine may be busy building.
const CLIENT_TIMEOUT_MS = 20000;

const { Sensord: ServiceProcess, waitFor } = require('../../shared/process.js');

// On the virtual clock, with the page from SENSORD_WEB_ROOT when given.
class Sensord extends ServiceProcess {
    constructor(module) {
        const args = ['--virtual-time'];
        if (process.env.SENSORD_WEB_ROOT) {
            args.push('--web-root', process.env.SENSORD_WEB_ROOT);
        }
        super(module, { suite: 'browser', args });
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
