'use strict';
// sensord's JSON API as curl drives it: Digest log-in with each algorithm
// curl can answer, several values at once and all or nothing, the event
// stream seeing what another client (the onvif package) set, the status.

const assert = require('node:assert/strict');
const { describe, it, before, after } = require('node:test');

const {
    Sensord, curlApi, getJson, parameters, held, rangeOfRole, otherValue, EventTap, md5OnlyProxy,
    connectCam, call,
} = require('../lib/sensord');

function valuesByName(list) {
    return Object.fromEntries(list.filter((p) => 'value' in p).map((p) => [p.name, p.value]));
}

// The algorithm curl answered with, from its -v trace.
function answeredWith(trace) {
    const line = trace.split('\n').find((l) => /^> Authorization: Digest /.test(l));
    assert.ok(line, `curl sent no Digest answer:\n${trace}`);
    return /algorithm="?([A-Za-z0-9-]+)/.exec(line)[1];
}

describe('the JSON API through curl (hi351x)', () => {
    let sensord;

    before(async () => {
        sensord = new Sensord('hi351x');
        await sensord.provision();
        await sensord.start();
    });

    after(async () => {
        if (sensord) {
            await sensord.dispose();
        }
    });

    it('curl --digest logs in with SHA-256, and with MD5 where that is all it is offered',
       async () => {
           const direct = await curlApi(sensord, 'GET', '/api/status');
           assert.equal(direct.status, 200, direct.text);
           const challenges = direct.trace.split('\n').filter((l) => /^< WWW-Authenticate:/i.test(l));
           assert.equal(challenges.length, 2, 'a SHA-256 and an MD5 challenge');
           assert.match(challenges[0], /algorithm="?SHA-256/);
           assert.match(challenges[1], /algorithm="?MD5/);
           assert.equal(answeredWith(direct.trace), 'SHA-256');

           const proxy = await md5OnlyProxy(sensord);
           try {
               const base = `http://127.0.0.1:${proxy.address().port}`;
               const md5 = await curlApi(sensord, 'GET', '/api/status', { base });
               assert.equal(md5.status, 200, md5.text);
               assert.equal(answeredWith(md5.trace), 'MD5');
               // Writes too: the body does not upset the MD5 answer.
               const brightness = rangeOfRole(await parameters(sensord), 'brightness');
               const value = otherValue(brightness, brightness.value);
               const put = await curlApi(sensord, 'PUT', '/api/parameters/brightness',
                                         { base, body: { value } });
               assert.equal(put.status, 200, put.text);
               assert.equal((await getJson(sensord, '/api/parameters/brightness')).value, value);
           } finally {
               proxy.close();
           }
       });

    it('sets several values at once; a refused batch, a wrong password or a User changes nothing',
       async () => {
           const list = await parameters(sensord);
           const wanted = {};
           for (const role of ['brightness', 'contrast', 'saturation']) {
               const descriptor = rangeOfRole(list, role);
               wanted[descriptor.name] = otherValue(descriptor, descriptor.value);
           }
           // A menu by its entry's name.
           const menu = list.find((p) => p.kind === 'menu' && p.entries && p.entries.length > 1);
           const entry = menu.entries.find((e) => e.code !== menu.value);
           const heldBefore = await held(sensord);

           const set = await curlApi(sensord, 'POST', '/api/parameters',
                                     { body: { values: { ...wanted, [menu.name]: entry.name },
                                               persist: true } });
           assert.equal(set.status, 200, set.text);
           assert.deepEqual(set.body, { values: { ...wanted, [menu.name]: entry.code },
                                        saved: true });
           const now = valuesByName(await parameters(sensord));
           for (const [name, value] of Object.entries(wanted)) {
               assert.equal(now[name], value, name);
           }
           assert.equal(now[menu.name], entry.code, menu.name);
           assert.notDeepEqual(await held(sensord), heldBefore,
                               'the simulated module was sent the batch');

           const beforeRefusals = { values: now, held: await held(sensord) };
           const brightness = rangeOfRole(list, 'brightness');
           const contrast = rangeOfRole(list, 'contrast');
           const good = otherValue(brightness, now[brightness.name]);
           const refusals = [
               [{ [brightness.name]: good, [contrast.name]: contrast.max + 1000 }, 400,
                contrast.name],
               [{ [brightness.name]: good, [menu.name]: 'no-such-entry' }, 400, menu.name],
               [{ [brightness.name]: good, 'no-such-parameter': 1 }, 404, 'no-such-parameter'],
           ];
           for (const [values, status, parameter] of refusals) {
               const answer = await curlApi(sensord, 'POST', '/api/parameters', { body: { values } });
               assert.equal(answer.status, status, answer.text);
               assert.equal(answer.body.parameter, parameter, answer.text);
               assert.match(answer.body.error, /nothing was changed/);
           }
           const operator = sensord.users.operator;
           const wrong = await curlApi(sensord, 'PUT', `/api/parameters/${brightness.name}`,
                                       { user: { name: operator.name,
                                                 password: `${operator.password}x` },
                                         body: { value: good } });
           assert.equal(wrong.status, 401, wrong.text);
           const viewer = await curlApi(sensord, 'PUT', `/api/parameters/${brightness.name}`,
                                        { user: sensord.users.viewer, body: { value: good } });
           assert.equal(viewer.status, 403, viewer.text);

           assert.deepEqual({ values: valuesByName(await parameters(sensord)),
                              held: await held(sensord) }, beforeRefusals);
       });

    it('the event stream read by curl -N shows a value an ONVIF client set', async () => {
        const tap = new EventTap(sensord, sensord.users.viewer);
        try {
            await tap.connected();
            const cam = await connectCam(sensord, sensord.users.operator);
            const brightness = rangeOfRole(await parameters(sensord), 'brightness');
            const value = otherValue(brightness, brightness.value);
            await call(cam, 'setImagingSettings', { brightness: value });
            const event = await tap.find(
                (e) => e.type === 'value' && e.json && e.json.name === 'brightness' &&
                    e.json.value === value,
                `a value event for brightness ${value}`);
            assert.equal(event.json.id, brightness.id);
            assert.equal(event.json.origin, sensord.users.operator.name);
            assert.ok(event.id, 'the event has an id: line');
        } finally {
            await tap.close();
        }
    });

    it('status tells the module, day/night and the scheme, and follows a scheme switch',
       async () => {
           const viewer = sensord.users.viewer;
           const status = await getJson(sensord, '/api/status', viewer);
           assert.equal(status.module, 'hi351x');
           assert.equal(typeof status.moduleId, 'number');
           assert.equal(typeof status.dayNightMode, 'number');
           assert.ok(['auto', 'day', 'night', 'schedule', 'module', 'other']
               .includes(status.dayNightModeName), status.dayNightModeName);
           assert.ok(['day', 'night', 'none'].includes(status.dayNightState), status.dayNightState);
           assert.ok(['manual', 'automatic'].includes(status.schemeMode), status.schemeMode);
           assert.equal(status.moduleAnswering, true);
           if ('sceneLevel' in status) {
               assert.equal(typeof status.sceneLevel, 'number');
           }

           const schemes = await getJson(sensord, '/api/schemes', viewer);
           assert.equal(schemes.active, status.scheme);
           const target = schemes.schemes.find((s) => s.index !== schemes.active);
           const switched = await curlApi(sensord, 'POST', '/api/schemes/active',
                                          { body: { scheme: target.index } });
           assert.equal(switched.status, 200, switched.text);
           const after = await getJson(sensord, '/api/status', viewer);
           assert.equal(after.scheme, target.index);
           assert.equal(after.schemeMode, 'manual');
       });
});
