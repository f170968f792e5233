// The settings page: tabs and labels from the module's UI description,
// controls from the descriptors, kept live by the event stream.
import { call, getJson, listen, setParameter } from './api.js';
import { Control, textFor } from './controls.js';
import { drawHistory } from './chart.js';
import { SchemeTable } from './schemes.js';

const LANGUAGE_KEY = 'sensord.language';

const state = {
    ui: null,
    parameters: [],       // descriptors from GET /api/parameters
    controls: new Map(),  // id -> Control
    tabs: [],             // { id, label, button, panel, controls }
    status: null,
    schemes: null,
    schemeTable: null,
    streamUp: false,
    streamSeen: false,  // the stream was up once: down now is a reconnection
};

const $ = (id) => document.getElementById(id);

function problem(text) {
    const node = $('problem');
    node.textContent = text || '';
    node.hidden = !text;
}

// ---- tabs ------------------------------------------------------------------

// The tabs of the merged style, each with the parameters the module
// describes; described parameters that no tab lists go on one more tab.
function layout(ui, parameters) {
    const byId = new Map(parameters.map((p) => [p.id, p]));
    const placed = new Set();
    const tabs = [];
    for (const tab of ui.tabs || []) {
        const list = (tab.parameters || []).map((id) => byId.get(id)).filter(Boolean);
        list.forEach((p) => placed.add(p.id));
        if (list.length) {
            tabs.push({ key: tab.name || tab.id, name: tab.name, label: tab.label, parameters: list });
        }
    }
    const rest = parameters.filter((p) => !placed.has(p.id));
    if (rest.length) {
        tabs.push({ key: 'more', name: 'more', label: null, parameters: rest });
    }
    return tabs;
}

function tabLabel(tab, ui) {
    if (tab.name === 'more') {
        return (ui.texts && ui.texts.more) || (ui.language === 2 ? 'Weitere' : 'Other');
    }
    // The label of the language shown now, not of the one the tabs were built in.
    const described = (ui.tabs || []).find((t) => (t.name || t.id) === tab.key);
    return (described && described.label) || textFor(ui.texts, tab.name);
}

function selectTab(index, focus) {
    state.tabs.forEach((tab, i) => {
        const on = i === index;
        tab.button.setAttribute('aria-selected', on ? 'true' : 'false');
        tab.button.tabIndex = on ? 0 : -1;
        tab.panel.hidden = !on;
    });
    if (focus) {
        state.tabs[index].button.focus();
    }
}

function buildSettings() {
    const tabList = $('tabs');
    const panels = $('panels');
    tabList.replaceChildren();
    panels.replaceChildren();
    state.controls.clear();
    state.tabs = layout(state.ui, state.parameters).map((tab, index) => {
        const button = document.createElement('button');
        button.type = 'button';
        button.setAttribute('role', 'tab');
        button.id = `tab-${index}`;
        button.dataset.tab = tab.key;
        button.setAttribute('aria-controls', `panel-${index}`);
        button.addEventListener('click', () => selectTab(index, false));
        const panel = document.createElement('div');
        panel.setAttribute('role', 'tabpanel');
        panel.id = `panel-${index}`;
        panel.dataset.tab = tab.key;
        panel.setAttribute('aria-labelledby', button.id);
        const controls = tab.parameters.map((descriptor) => {
            const control = new Control(descriptor, state.ui.texts, setParameter);
            state.controls.set(descriptor.id, control);
            panel.append(control.root);
            return control;
        });
        tabList.append(button);
        panels.append(panel);
        return { ...tab, button, panel, controls };
    });
    // Arrow keys move between tabs, as in any tab list.
    tabList.onkeydown = (event) => {
        const current = state.tabs.findIndex((t) => t.button === document.activeElement);
        if (current < 0) {
            return;
        }
        const last = state.tabs.length - 1;
        const next = { ArrowRight: current + 1, ArrowLeft: current - 1, Home: 0, End: last }[event.key];
        if (next !== undefined) {
            event.preventDefault();
            selectTab((next + last + 1) % (last + 1), true);
        }
    };
    relabel();
    if (state.tabs.length) {
        selectTab(0, false);
    }
}

function relabel() {
    const ui = state.ui;
    document.documentElement.lang = ui.language === 2 ? 'de' : 'en';
    for (const tab of state.tabs) {
        tab.button.textContent = tabLabel(tab, ui);
        tab.controls.forEach((control) => control.relabel(ui.texts));
    }
    $('schemes-title').textContent = textFor(ui.texts, 'schemes');
    renderStatus();
}

// ---- languages -------------------------------------------------------------

function fillLanguages() {
    const select = $('language');
    select.replaceChildren(...(state.ui.languages || []).map((language) => {
        const option = document.createElement('option');
        option.value = language.id;
        option.textContent = language.name;
        return option;
    }));
    select.value = String(state.ui.language);
    select.disabled = (state.ui.languages || []).length < 2;
}

async function switchLanguage(id) {
    try {
        state.ui = await getJson(`/api/ui?lang=${encodeURIComponent(id)}`);
        localStorage.setItem(LANGUAGE_KEY, String(id));
        relabel();
        problem('');
    } catch (e) {
        problem(e.message);
        $('language').value = String(state.ui.language);
    }
}

// ---- status, schemes, history ---------------------------------------------

function renderStatus() {
    const s = state.status;
    if (!s || !state.ui) {
        return;
    }
    const texts = state.ui.texts;
    const node = $('status');
    const parts = [
        ['module', s.module],
        ['day/night', `${textFor(texts, s.dayNightModeName)} · ` +
                      `${s.dayNightState === 'none' ? '–' : textFor(texts, s.dayNightState)}`],
    ];
    if (typeof s.sceneLevel === 'number') {
        parts.push(['scene level', String(s.sceneLevel)]);
    }
    parts.push(['scheme', `${s.scheme} (${s.schemeMode})`]);
    if (!s.moduleAnswering) {
        parts.push(['module', 'not answering']);
    }
    if (!state.streamUp) {
        parts.push(['live', state.streamSeen ? 'reconnecting…' : 'connecting…']);
    }
    node.replaceChildren();
    parts.forEach(([key, value], i) => {
        if (i) {
            node.append(' · ');
        }
        const b = document.createElement('b');
        b.textContent = `${key}: `;
        node.append(b, value);
    });
    node.dataset.state = s.dayNightState;
    node.dataset.scheme = String(s.scheme);
}

async function refreshStatus() {
    try {
        state.status = await getJson('/api/status');
        renderStatus();
    } catch (e) {
        problem(e.message);
    }
}

function renderSchemes() {
    state.schemeTable.render(state.schemes);
    $('scheme-mode').value = state.schemes.mode;
}

async function refreshSchemes() {
    try {
        state.schemes = await getJson('/api/schemes');
        renderSchemes();
    } catch (e) {
        problem(e.message);
    }
}

let historyTimer = 0;
// Events come in bursts (a scheme switch sets many values): one redraw.
function refreshHistorySoon() {
    clearTimeout(historyTimer);
    historyTimer = setTimeout(refreshHistory, 500);
}

async function refreshHistory() {
    try {
        const history = await getJson('/api/history');
        $('chart').replaceChildren(drawHistory(history, {
            title: 'Scene level over the last 24 hours', now: 'now', scheme: 'scheme',
            noLevel: 'this module reports no scene level',
        }));
    } catch (e) {
        problem(e.message);
    }
}

// ---- values ----------------------------------------------------------------

async function refreshValues() {
    const data = await getJson('/api/parameters');
    for (const descriptor of data.parameters) {
        const control = state.controls.get(descriptor.id);
        if (control) {
            control.show(descriptor.value);
        }
    }
}

const WINDOW_IDS = new Set([500, 501, 502, 503, 504]);
let schemesTimer = 0;

function onValue(event) {
    if (WINDOW_IDS.has(event.id)) {
        // Five values come at once: one read of the table.
        clearTimeout(schemesTimer);
        schemesTimer = setTimeout(refreshSchemes, 200);
    }
    const control = state.controls.get(event.id);
    if (control) {
        control.show(event.value);
        if (event.origin) {
            control.setNote(`set by ${event.origin}`, 'ok');
        }
    }
}

async function start() {
    try {
        const stored = Number(localStorage.getItem(LANGUAGE_KEY)) || 0;
        const [parameters, ui, status, schemes] = await Promise.all([
            getJson('/api/parameters'),
            getJson(stored ? `/api/ui?lang=${stored}` : '/api/ui').catch(() => getJson('/api/ui')),
            getJson('/api/status'),
            getJson('/api/schemes'),
        ]);
        state.parameters = parameters.parameters;
        state.ui = ui;
        state.status = status;
        state.schemes = schemes;
        state.schemeTable = new SchemeTable($('scheme-rows'), (changed) => {
            state.schemes = changed;
            renderSchemes();
            refreshStatus();
        });
        $('title').textContent = `${parameters.module}: image settings`;
        document.title = `${parameters.module} image settings`;
        fillLanguages();
        buildSettings();
        renderSchemes();
        document.body.dataset.ready = 'true';
        performance.mark('settings-drawn');
    } catch (e) {
        problem(`The settings cannot be read: ${e.message}`);
        return;
    }
    $('language').addEventListener('change', (event) => switchLanguage(event.target.value));
    $('scheme-mode').addEventListener('change', async (event) => {
        const answer = await call('POST', '/api/schemes/mode', { mode: event.target.value });
        if (!answer.ok) {
            problem(answer.body && answer.body.error ? answer.body.error : `HTTP ${answer.status}`);
        }
        refreshSchemes();
        refreshStatus();
    });
    refreshHistory();
    listen({
        value: (event) => { onValue(event); },
        daynight: () => { refreshStatus(); refreshHistorySoon(); },
        scheme: () => { refreshStatus(); refreshSchemes(); refreshHistorySoon(); },
        resync: () => { refreshValues(); refreshStatus(); refreshSchemes(); },
    }, (up) => {
        const was = state.streamUp;
        state.streamUp = up;
        state.streamSeen = state.streamSeen || up;
        document.body.dataset.live = up ? 'true' : 'false';
        renderStatus();
        if (up && !was) {
            // What happened while the stream was down.
            refreshValues().catch((e) => problem(e.message));
            refreshStatus();
        }
    });
    // The scene level moves without events: the status and the chart are
    // read again now and then.
    setInterval(() => { refreshStatus(); refreshHistory(); }, 30000);
}

start();
