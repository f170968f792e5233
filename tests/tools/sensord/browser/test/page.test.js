'use strict';
// sensord's settings page in Debian's Chromium, headless, for the SoC's
// sensor, the Orvane ISP and one module of each serial family (VISCA, CMD,
// hex text, registers), each on a fresh root and on the virtual clock.

const { after, before, describe, test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const { Sensord, waitFor, api, getJson, chromiumPath } = require('../lib/sensord');

const MODULES = (process.env.BROWSER_MODULES ||
                 'hi351x,orvane,fcbev7310,cmd8300,hitach,it1zoom').split(',');
const PAGE_BUDGET_BYTES = 150 * 1024;
const SCREENSHOTS = process.env.SCREENSHOT_DIR || path.join(__dirname, '..', 'screenshots');
const DESKTOP = { width: 1280, height: 800 };
const PHONE = { width: 390, height: 844 };
const WAIT_MS = 20000;

let browser;

before(async () => {
    browser = await puppeteer.launch({
        executablePath: chromiumPath(),
        headless: true,
        // The suite runs as root in CI, where Chromium's sandbox cannot start.
        args: ['--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage'],
    });
});

after(async () => {
    if (browser) {
        await browser.close();
    }
});

// The tabs the page should show: those of the UI description with the
// parameters the module describes, then the described ones no tab lists.
function expectedTabs(ui, described) {
    const ids = new Set(described.map((p) => p.id));
    const placed = new Set();
    const tabs = [];
    for (const tab of ui.tabs) {
        const list = tab.parameters.filter((id) => ids.has(id));
        list.forEach((id) => placed.add(id));
        if (list.length) {
            tabs.push({ key: tab.name || tab.id, ids: list });
        }
    }
    const rest = described.filter((p) => !placed.has(p.id)).map((p) => p.id);
    if (rest.length) {
        tabs.push({ key: 'more', ids: rest });
    }
    return tabs;
}

// A value in the descriptor's range other than p_current.
function otherValue(descriptor, current) {
    const step = descriptor.step || 1;
    for (const fraction of [0.25, 0.75, 0.5, 0, 1]) {
        const value = descriptor.min +
            Math.round(((descriptor.max - descriptor.min) * fraction) / step) * step;
        if (value !== current) {
            return value;
        }
    }
    throw new Error(`${descriptor.name} takes only ${current}`);
}

for (const module of MODULES) {
    describe(`the settings page of ${module}`, () => {
        const sensord = new Sensord(module);
        let page;
        let descriptors;
        let ui;
        const problems = [];

        // Opens (or reopens) the page and waits until the settings are drawn
        // and the event stream is up.
        async function open() {
            problems.length = 0;
            await page.goto(sensord.url('/'), { waitUntil: 'load' });
            await page.waitForSelector('body[data-ready="true"][data-live="true"]',
                                       { timeout: WAIT_MS });
        }

        const field = (name) => `.field[data-parameter="${name}"]`;
        const shownValue = (name) => page.$eval(field(name), (node) => node.dataset.value);

        // Shows the tab that holds p_name, as a user would: a click on it.
        async function showTabOf(name) {
            const key = await page.$eval(field(name), (node) => node.closest('[role="tabpanel"]').dataset.tab);
            await page.click(`[role="tab"][data-tab="${key}"]`);
        }

        before(async () => {
            await sensord.provision();
            await sensord.start();
            descriptors = (await getJson(sensord, '/api/parameters')).parameters;
            ui = await getJson(sensord, '/api/ui');
            page = await browser.newPage();
            // The event stream breaks when the service restarts under the
            // page, and EventSource connects again by itself: that is no
            // problem of the page (the cases on events show it live).
            const stream = (url) => (url || '').endsWith('/api/events');
            page.on('console', (message) => {
                if (message.type() === 'error' && !stream(message.location().url)) {
                    problems.push(`console: ${message.text()}`);
                }
            });
            page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
            page.on('requestfailed', (request) => {
                if (!stream(request.url())) {
                    problems.push(`failed: ${request.url()} ${request.failure().errorText}`);
                }
            });
            page.on('response', (response) => {
                if (response.status() >= 400 && response.status() !== 401) {
                    problems.push(`HTTP ${response.status()}: ${response.url()}`);
                }
            });
            await page.authenticate({ username: sensord.users.operator.name,
                                      password: sensord.users.operator.password });
            await page.setViewport(DESKTOP);
            await open();
        });

        after(async () => {
            if (page) {
                await page.close();
            }
            await sensord.dispose();
        });

        test('loads cleanly and renders every tab with a control per described parameter', async () => {
            assert.deepEqual(problems, [], 'the page loaded with problems');
            // What the page weighs, and how long its settings took to appear
            // (a figure for the record, not a bound: the machine may be busy).
            const figures = await page.evaluate(() => {
                const navigation = performance.getEntriesByType('navigation')[0];
                const drawn = performance.getEntriesByName('settings-drawn')[0];
                const ours = performance.getEntriesByType('resource')
                    .filter((r) => !r.name.includes('/api/'));
                return {
                    bytes: navigation.decodedBodySize +
                           ours.reduce((sum, r) => sum + r.decodedBodySize, 0),
                    files: ours.length + 1,
                    settingsDrawnMs: drawn ? Math.round(drawn.startTime) : null,
                };
            });
            fs.mkdirSync(SCREENSHOTS, { recursive: true });
            fs.writeFileSync(path.join(SCREENSHOTS, `${module}-figures.json`),
                             JSON.stringify({ module, ...figures }, null, 1));
            assert.ok(figures.bytes <= PAGE_BUDGET_BYTES,
                      `the page weighs ${figures.bytes} bytes, over ${PAGE_BUDGET_BYTES}`);
            const shown = await page.$$eval('[role="tabpanel"]', (panels) => panels.map((panel) => ({
                key: panel.dataset.tab,
                ids: [...panel.querySelectorAll('.field')].map((node) => Number(node.dataset.id)),
            })));
            assert.deepEqual(shown, expectedTabs(ui, descriptors));
            const labels = await page.$$eval('[role="tab"]', (tabs) => tabs.map((t) => t.textContent));
            for (const tab of ui.tabs.filter((t) => shown.some((s) => s.key === t.name))) {
                assert.ok(labels.includes(tab.label), `tab label ${tab.label} in ${labels}`);
            }
            for (const d of descriptors) {
                const control = await page.$eval(field(d.name), (node) => {
                    const slider = node.querySelector('input[type="range"]');
                    const labelled = [...node.querySelectorAll('input, select, button, output')]
                        .every((c) => c.labels && c.labels.length ? true : c.getAttribute('aria-label'));
                    return {
                        slider: slider && { min: Number(slider.min), max: Number(slider.max) },
                        select: Boolean(node.querySelector('select:not(.special)')),
                        toggle: Boolean(node.querySelector('input[type="checkbox"]')),
                        labelled,
                        value: node.dataset.value,
                    };
                });
                assert.ok(control.labelled, `${d.name}: every input has a label`);
                assert.equal(control.value, String(d.value), `${d.name} shows its value`);
                if (d.kind === 'range') {
                    assert.deepEqual(control.slider, { min: d.min, max: d.max }, d.name);
                } else if (d.kind === 'menu') {
                    assert.ok(control.select, `${d.name} is a select`);
                } else if (d.kind === 'on-off') {
                    assert.ok(control.toggle, `${d.name} is a switch`);
                }
            }
        });

        test('a moved slider reaches the module and survives a restart', async () => {
            const d = descriptors.find((p) => p.kind === 'range' && p.max > p.min &&
                                              p.value >= p.min && p.value <= p.max);
            const value = otherValue(d, d.value);
            await showTabOf(d.name);
            // The keyboard moves it a step; a set value and a change event
            // is what a let-go drag leaves.
            await page.focus(`${field(d.name)} input[type="range"]`);
            await page.keyboard.press(d.value < d.max ? 'ArrowRight' : 'ArrowLeft');
            const stepped = d.value < d.max ? d.value + (d.step || 1) : d.value - (d.step || 1);
            await waitFor(async () => (await getJson(sensord, `/api/parameters/${d.name}`)).value === stepped,
                          `${d.name} = ${stepped} by the keyboard`);
            await page.$eval(`${field(d.name)} input[type="range"]`, (slider, v) => {
                slider.value = String(v);
                slider.dispatchEvent(new Event('input', { bubbles: true }));
                slider.dispatchEvent(new Event('change', { bubbles: true }));
            }, value);
            await waitFor(async () => (await getJson(sensord, `/api/parameters/${d.name}`)).value === value,
                          `${d.name} = ${value} through the API`);
            await waitFor(async () => (await shownValue(d.name)) === String(value),
                          `the page to show ${d.name} = ${value}`);

            await sensord.restart();
            assert.equal((await getJson(sensord, `/api/parameters/${d.name}`)).value, value,
                         `${d.name} after the restart`);
            await open();
            assert.equal(await shownValue(d.name), String(value));
            assert.deepEqual(problems, [], 'the page reloaded with problems');
        });

        test('a refused value shows the range and changes nothing', async () => {
            // A bounded range: one that takes any whole number has no out-of-range value.
            const d = descriptors.find((p) => p.kind === 'range' && !(p.entries && p.entries.length) &&
                                              p.max - p.min < 1e6);
            const before = (await getJson(sensord, `/api/parameters/${d.name}`)).value;
            await showTabOf(d.name);
            const box = `${field(d.name)} input.number`;
            await page.click(box, { clickCount: 3 });
            await page.type(box, String(d.max + 50));
            await page.keyboard.press('Enter');
            const note = await waitFor(async () => page.$eval(`${field(d.name)} .note.error`,
                                                              (n) => n.textContent).catch(() => ''),
                                       `a refusal beside ${d.name}`);
            assert.match(note, new RegExp(`${d.min}\\.\\.${d.max}`));
            assert.equal((await getJson(sensord, `/api/parameters/${d.name}`)).value, before);
            assert.equal(await shownValue(d.name), String(before), 'the page went back to the old value');

            const menu = descriptors.find((p) => p.kind === 'menu');
            if (menu) {
                const code = Math.max(...menu.entries.map((e) => e.code)) + 7;
                const menuBefore = (await getJson(sensord, `/api/parameters/${menu.name}`)).value;
                await showTabOf(menu.name);
                await page.$eval(`${field(menu.name)} select`, (select, c) => {
                    const option = document.createElement('option');
                    option.value = String(c);
                    select.append(option);
                    select.value = String(c);
                    select.dispatchEvent(new Event('change', { bubbles: true }));
                }, code);
                const menuNote = await waitFor(async () => page.$eval(`${field(menu.name)} .note.error`,
                                                                      (n) => n.textContent).catch(() => ''),
                                               `a refusal beside ${menu.name}`);
                assert.ok(menuNote.includes(menu.takes), `${menuNote} names ${menu.takes}`);
                assert.equal((await getJson(sensord, `/api/parameters/${menu.name}`)).value, menuBefore);
            }
        });

        test('the language switch relabels the tabs', async () => {
            const other = ui.languages.find((l) => l.id !== ui.language);
            if (!other) {
                return;
            }
            const translated = await getJson(sensord, `/api/ui?lang=${other.id}`);
            await page.select('#language', String(other.id));
            const wanted = translated.tabs.find((t) => t.label !== ui.tabs.find((u) => u.name === t.name).label);
            assert.ok(wanted, `language ${other.id} translates some tab`);
            await waitFor(async () => (await page.$$eval('[role="tab"]', (tabs) => tabs.map((t) => t.textContent)))
                .includes(wanted.label), `the tab label ${wanted.label}`);
            await page.select('#language', String(ui.language));
            await waitFor(async () => (await page.$$eval('[role="tab"]', (tabs) => tabs.map((t) => t.textContent)))
                .includes(ui.tabs.find((t) => t.name === wanted.name).label), 'the labels back');
        });

        test('another client\'s change and a day/night switch show without a reload', async () => {
            // Another range than the slider case's, and not a scheme's window
            // (which the module weighs against the other windows).
            const ranges = descriptors.filter((p) => p.kind === 'range' && p.max > p.min &&
                                                     !p.name.startsWith('scheme'));
            const d = ranges[1] || ranges[0];
            const current = (await getJson(sensord, `/api/parameters/${d.name}`)).value;
            const value = otherValue(d, current);
            const answer = await api(sensord, 'PUT', `/api/parameters/${d.name}`,
                                     { user: sensord.users.admin, body: { value } });
            assert.equal(answer.status, 200, answer.text);
            await waitFor(async () => (await shownValue(d.name)) === String(value),
                          `the page to show ${d.name} = ${value} set elsewhere`);

            const status = await getJson(sensord, '/api/status');
            if (status.dayNightState === 'none') {
                return;
            }
            assert.equal(await page.$eval('#status', (n) => n.dataset.state), status.dayNightState);
            const target = status.dayNightState === 'day' ? 'night' : 'day';
            // A module that switches by itself ("module" mode) is not led by
            // the simulated scene: it is told to switch, by another client.
            const mode = descriptors.find((p) => p.role === 'day-night-mode' && p.kind === 'menu');
            const forced = mode && status.dayNightModeName === 'module' &&
                mode.entries.find((e) => e.name === target);
            if (forced) {
                const told = await api(sensord, 'PUT', `/api/parameters/${mode.name}`,
                                       { user: sensord.users.admin, body: { value: forced.code } });
                assert.equal(told.status, 200, told.text);
            }
            await waitFor(async () => {
                const moved = await api(sensord, 'POST', '/api/simulation', {
                    user: sensord.users.admin,
                    body: { light: target === 'night' ? 0 : 100, advance: 600 },
                });
                assert.equal(moved.status, 200, moved.text);
                return (await getJson(sensord, '/api/status')).dayNightState === target;
            }, `the module to switch to ${target}`, 60000);
            await waitFor(async () => (await page.$eval('#status', (n) => n.dataset.state)) === target,
                          `the status line to show ${target}`);
            const line = await page.$eval('#status', (n) => n.textContent);
            const word = ui.texts[target] || target;
            assert.ok(line.toLowerCase().includes(word.toLowerCase()), `"${line}" shows ${word}`);
        });

        test('the chart marks the day/night switch and a scheme applied from the table', async () => {
            const status = await getJson(sensord, '/api/status');
            const chart = () => page.$eval('#chart svg', (svg) => ({
                level: Boolean(svg.querySelector('path.level')),
                night: svg.querySelectorAll('rect.night').length,
                daynight: svg.querySelectorAll('line.switch.daynight').length,
            }));
            if (status.dayNightState !== 'none') {
                // The case before switched the picture on the virtual clock;
                // the chart is drawn again shortly after the event.
                await waitFor(async () => (await chart()).daynight >= 1, 'the day/night switch marked');
                if (status.dayNightState === 'night') {
                    assert.ok((await chart()).night > 0, 'the night shaded');
                }
            }
            assert.equal((await chart()).level, typeof status.sceneLevel === 'number',
                         'a level line where the module has a scene level, and only there');
            const schemeMarks = () => page.$$eval('#chart svg line.switch.scheme', (l) => l.length);
            const marksBefore = await schemeMarks();
            const schemes = await getJson(sensord, '/api/schemes');
            const target = schemes.schemes.find((s) => !s.active);
            await page.click(`#scheme-rows tr[data-scheme="${target.index}"] button.use`);
            await waitFor(async () => (await getJson(sensord, '/api/schemes')).active === target.index,
                          `scheme ${target.index} applied`);
            await waitFor(async () => (await page.$eval('#status', (n) => n.dataset.scheme)) ===
                          String(target.index), 'the status line to show the scheme');
            await waitFor(async () => (await schemeMarks()) > marksBefore, 'a scheme switch on the chart');
        });

        test('a scheme window is edited in the table, and a refused one says why', async () => {
            const schemes = await getJson(sensord, '/api/schemes');
            const target = schemes.schemes.find((s) => !s.active);
            const row = `#scheme-rows tr[data-scheme="${target.index}"]`;
            // As a user does it: into the box, select all, type over.
            const retype = async (selector, text) => {
                await page.focus(selector);
                await page.keyboard.down('Control');
                await page.keyboard.press('KeyA');
                await page.keyboard.up('Control');
                await page.keyboard.type(text);
            };
            const windowOf = async () => (await getJson(sensord, '/api/schemes'))
                .schemes.find((s) => s.index === target.index);

            await retype(`${row} input[aria-label$="starts at"]`, '07:30');
            await retype(`${row} input[aria-label$="ends at"]`, '19:10');
            if (!target.enabled) {
                await page.click(`${row} input[type="checkbox"]`);
            }
            await page.click(`${row} button.save`);
            await waitFor(async () => {
                const saved = await windowOf();
                return saved.start === '07:30' && saved.end === '19:10' && saved.enabled;
            }, 'the window saved');
            assert.equal((await getJson(sensord, '/api/schemes')).active, schemes.active,
                         'editing a window applies no scheme');

            // The end before the start: the service's refusal stays beside the row.
            await retype(`${row} input[aria-label$="ends at"]`, '06:00');
            await page.keyboard.press('Enter');
            const note = await waitFor(async () => page.$eval(`${row} + tr .note.error`,
                                                              (n) => n.textContent).catch(() => ''),
                                       'a refusal beside the scheme');
            assert.match(note, /before/);
            assert.equal((await windowOf()).end, '19:10');

            // Another client's change reaches the table.
            await page.keyboard.press('Escape');
            const answer = await api(sensord, 'PUT', `/api/schemes/${target.index}`,
                                     { user: sensord.users.admin, body: { end: '20:00' } });
            assert.equal(answer.status, 200, answer.text);
            await waitFor(async () => (await page.$eval(`${row} input[aria-label$="ends at"]`,
                                                        (n) => n.value)) === '20:00',
                          'the table to show 20:00 set elsewhere');
        });

        test('screenshots at desktop and phone size, after a day on the virtual clock', async () => {
            // Dawn to dusk and into the night, an hour a step, so that the
            // chart has a day to show.
            for (let hour = 1; hour <= 24; ++hour) {
                const light = Math.max(0, Math.round(100 * Math.sin(((hour - 4) / 16) * Math.PI)));
                const moved = await api(sensord, 'POST', '/api/simulation', {
                    user: sensord.users.admin, body: { light, advance: 3600 },
                });
                assert.equal(moved.status, 200, moved.text);
            }
            await open();
            fs.mkdirSync(SCREENSHOTS, { recursive: true });
            for (const [size, viewport] of [['desktop', DESKTOP], ['phone', PHONE]]) {
                await page.setViewport(viewport);
                const file = path.join(SCREENSHOTS, `${module}-${size}.png`);
                await page.screenshot({ path: file, fullPage: true });
                assert.ok(fs.statSync(file).size > 1000, file);
            }
            await page.setViewport(DESKTOP);
        });
    });
}
