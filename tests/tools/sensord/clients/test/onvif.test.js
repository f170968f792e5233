'use strict';
// sensord's Imaging service as the npm onvif package drives it, on each
// family of module: the settings reach the simulated module and survive a
// restart, GetOptions tells the module's own ranges, refusals change
// nothing, the lens moves and stops, and the presets are the schemes.

const assert = require('node:assert/strict');
const { describe, it, before, after } = require('node:test');

const {
    Sensord, waitFor, getJson, parameters, held, rangeOfRole, otherValue, connectCam, borrowCam,
    call, imagingRequest, asList,
} = require('../lib/sensord');

// Each ONVIF float setting and the role of the parameter it is.
const SETTINGS = [
    { onvif: 'brightness', role: 'brightness' },
    { onvif: 'colorSaturation', role: 'saturation' },
    { onvif: 'contrast', role: 'contrast' },
    { onvif: 'sharpness', role: 'sharpness' },
];

// One module of each family; the lens ones also move their focus.
const MODULES = [
    { name: 'hi351x', lens: false },     // the SoC's own sensor
    { name: 'fcbev7310', lens: true },   // VISCA
    { name: 'cmd8300', lens: false },    // CMD frames
    { name: 'cmd7200', lens: false },    // hex text
    { name: 'it1zoom', lens: true },     // registers, lens line
];

function valuesByName(list) {
    return Object.fromEntries(list.filter((p) => 'value' in p).map((p) => [p.name, p.value]));
}

// The module's values, as the JSON API and the simulated module see them.
async function snapshot(sensord, cam) {
    return {
        values: valuesByName(await parameters(sensord)),
        held: await held(sensord),
        onvif: (await call(cam, 'getImagingSettings')).data,
    };
}

for (const module of MODULES) {
    describe(`${module.name} through the onvif package`, () => {
        let sensord;
        let cam;
        let mapped;  // [{ onvif, role, descriptor }] the module has

        before(async () => {
            sensord = new Sensord(module.name);
            await sensord.provision();
            await sensord.start();
            cam = await connectCam(sensord, sensord.users.operator);
            const list = await parameters(sensord);
            mapped = SETTINGS.map((s) => ({ ...s, descriptor: rangeOfRole(list, s.role) }))
                .filter((s) => s.descriptor);
            assert.ok(mapped.length > 0, 'the module has none of the four float settings');
        });

        after(async () => {
            if (sensord) {
                await sensord.dispose();
            }
        });

        it('GetOptions gives the ranges of the parameters the settings map to', async () => {
            const list = await parameters(sensord);
            const { data: options } = await call(cam, 'getVideoSourceOptions');
            for (const setting of SETTINGS) {
                const descriptor = rangeOfRole(list, setting.role);
                if (!descriptor) {
                    assert.equal(options[setting.onvif], undefined,
                                 `${setting.onvif} offered without a ${setting.role} parameter`);
                    continue;
                }
                assert.deepEqual(options[setting.onvif], { min: descriptor.min, max: descriptor.max },
                                 `${setting.onvif} against ${descriptor.name}`);
            }
            // The exposure's gain and iris are the module's own steps too.
            const exposure = options.exposure || {};
            for (const [onvif, role] of [['gain', 'gain'], ['maxGain', 'max-gain'],
                                         ['iris', 'iris-level']]) {
                const descriptor = rangeOfRole(list, role);
                if (descriptor) {
                    assert.deepEqual(exposure[onvif], { min: descriptor.min, max: descriptor.max },
                                     `Exposure ${onvif} against ${descriptor.name}`);
                } else {
                    assert.equal(exposure[onvif], undefined, `Exposure ${onvif} without a ${role}`);
                }
            }
        });

        it('a refused value, a wrong password and a User-level user change nothing', async () => {
            const before = await snapshot(sensord, cam);
            const [first, second] = mapped;
            const tooHigh = first.descriptor.max + 1000;
            await assert.rejects(call(cam, 'setImagingSettings', { [first.onvif]: tooHigh }),
                                 (error) => /SOAP Fault/.test(error.message) &&
                                     new RegExp(first.onvif, 'i').test(error.message));
            if (second) {
                // All or nothing: the good value of the pair is not applied either.
                await assert.rejects(call(cam, 'setImagingSettings', {
                    [first.onvif]: otherValue(first.descriptor, first.descriptor.value),
                    [second.onvif]: second.descriptor.max + 1000,
                }), /SOAP Fault/);
            }

            const change = { [first.onvif]: otherValue(first.descriptor, first.descriptor.value) };
            const operator = sensord.users.operator;
            const intruder = borrowCam(sensord, cam,
                                       { name: operator.name, password: `${operator.password}x` });
            await assert.rejects(call(intruder, 'setImagingSettings', change));

            const viewer = await connectCam(sensord, sensord.users.viewer);
            assert.deepEqual((await call(viewer, 'getImagingSettings')).data, before.onvif,
                             'a User reads what the Operator reads');
            await assert.rejects(call(viewer, 'setImagingSettings', change), /SOAP Fault/);

            assert.deepEqual(await snapshot(sensord, cam), before);
        });

        it('presets are the schemes; SetCurrentPreset switches the active one', async () => {
            const schemes = await getJson(sensord, '/api/schemes');
            const { data } = await imagingRequest(cam, 'GetPresets');
            const presets = asList(data && data.preset);
            const tokens = presets.map((p) => p.$.token).sort();
            assert.deepEqual(tokens, schemes.schemes.map((s) => `scheme-${s.index}`).sort());
            for (const preset of presets) {
                assert.ok(preset.name !== undefined && preset.name !== '', 'a preset has a name');
            }

            const target = schemes.schemes.find((s) => s.index !== schemes.active);
            assert.ok(target, 'more than one scheme to switch between');
            await call(cam, 'setCurrentImagingPreset', { presetToken: `scheme-${target.index}` });
            const switched = await getJson(sensord, '/api/schemes');
            assert.equal(switched.active, target.index);
            assert.equal(switched.mode, 'manual');
            const { data: current } = await call(cam, 'getCurrentImagingPreset');
            assert.equal(current.$.token, `scheme-${target.index}`);

            await assert.rejects(
                call(cam, 'setCurrentImagingPreset', { presetToken: 'scheme-9999' }), /SOAP Fault/);
            assert.equal((await getJson(sensord, '/api/schemes')).active, target.index);
        });

        if (module.lens) {
            it('the focus moves continuously and stops; GetStatus follows', async () => {
                const status = async () => (await call(cam, 'imagingGetStatus')).data.focusStatus20;
                const { data: moveOptions } = await call(cam, 'imagingGetMoveOptions');
                if (!moveOptions || !moveOptions.continuous) {
                    // A lens the module cannot drive says so: the move is refused, and
                    // there is no focus status to report.
                    await assert.rejects(call(cam, 'imagingMove', { continuous: { speed: 1 } }),
                                         /SOAP Fault/);
                    const after = await status();
                    assert.ok(!after || after.moveStatus === 'IDLE');
                    return;
                }
                const start = await status();
                assert.equal(typeof start.position, 'number');
                assert.equal(start.moveStatus, 'IDLE');
                const speed = moveOptions.continuous.speed.max;
                assert.ok(speed > 0, `continuous speed range ${JSON.stringify(moveOptions)}`);

                await call(cam, 'imagingMove', { continuous: { speed } });
                await waitFor(async () => (await status()).moveStatus === 'MOVING',
                              'GetStatus to report the move');
                await call(cam, 'imagingStop', {});
                const stopped = await waitFor(async () => {
                    const now = await status();
                    return now.moveStatus === 'IDLE' && now;
                }, 'GetStatus to report the lens stopped');
                assert.equal(typeof stopped.position, 'number');
            });
        }

        // Last: it restarts the service.
        it('settings set through ONVIF reach the module and survive a restart', async () => {
            const list = await parameters(sensord);
            const before = await snapshot(sensord, cam);
            const wanted = {};
            for (const setting of mapped) {
                const descriptor = list.find((p) => p.id === setting.descriptor.id);
                assert.equal(before.onvif[setting.onvif], descriptor.value,
                             `ONVIF ${setting.onvif} reads ${descriptor.name}`);
                wanted[setting.onvif] = otherValue(descriptor, descriptor.value);
            }
            await call(cam, 'setImagingSettings', wanted);

            const check = async (where) => {
                const { data: settings } = await call(cam, 'getImagingSettings');
                const values = valuesByName(await parameters(sensord));
                for (const setting of mapped) {
                    assert.equal(settings[setting.onvif], wanted[setting.onvif],
                                 `${where}: ONVIF ${setting.onvif}`);
                    assert.equal(values[setting.descriptor.name], wanted[setting.onvif],
                                 `${where}: JSON ${setting.descriptor.name}`);
                }
            };
            await check('after the set');
            assert.notDeepEqual(await held(sensord), before.held,
                                'the simulated module was sent the new values');

            await sensord.restart();
            cam = await connectCam(sensord, sensord.users.operator);
            await check('after a restart');
        });
    });
}
