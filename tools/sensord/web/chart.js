// The last 24 hours of scene level as inline SVG: night shaded, day/night
// switches as solid marks, scheme switches as dashed ones.

const NS = 'http://www.w3.org/2000/svg';
const WIDTH = 720;
const HEIGHT = 200;
const PAD = { left: 40, right: 10, top: 12, bottom: 26 };
const SPAN = 24 * 3600;

function svg(tag, attributes, text) {
    const node = document.createElementNS(NS, tag);
    for (const [name, value] of Object.entries(attributes || {})) {
        node.setAttribute(name, String(value));
    }
    if (text !== undefined) {
        node.textContent = text;
    }
    return node;
}

// p_history: GET /api/history. Returns the <svg>.
export function drawHistory(history, labels) {
    const now = history.now;
    const start = now - SPAN;
    const samples = (history.samples || []).filter((s) => s.t >= start);
    const switches = (history.switches || []).filter((s) => s.t >= start);
    const levels = samples.filter((s) => typeof s.level === 'number').map((s) => s.level);
    // Scene levels may be negative (an exposure value): the axis spans them.
    const top = Math.max(1, ...levels);
    const bottom = Math.min(0, ...levels);
    const plotW = WIDTH - PAD.left - PAD.right;
    const plotH = HEIGHT - PAD.top - PAD.bottom;
    const x = (t) => PAD.left + ((t - start) / SPAN) * plotW;
    const y = (v) => PAD.top + plotH - ((v - bottom) / (top - bottom)) * plotH;

    const root = svg('svg', { viewBox: `0 0 ${WIDTH} ${HEIGHT}`, role: 'img',
                              'aria-labelledby': 'chart-title', class: 'chart' });
    root.append(svg('title', { id: 'chart-title' }, labels.title));

    // Night as shaded bands, from the state of each minute.
    let nightFrom = null;
    const band = (from, to) => root.append(svg('rect', {
        class: 'night', x: x(from), y: PAD.top, width: Math.max(1, x(to) - x(from)), height: plotH }));
    for (const sample of samples) {
        if (sample.state === 'night' && nightFrom === null) {
            nightFrom = sample.t;
        } else if (sample.state !== 'night' && nightFrom !== null) {
            band(nightFrom, sample.t);
            nightFrom = null;
        }
    }
    if (nightFrom !== null) {
        band(nightFrom, now);
    }

    // Axes: level at the left, hours below.
    root.append(svg('line', { class: 'axis', x1: PAD.left, y1: PAD.top + plotH,
                              x2: PAD.left + plotW, y2: PAD.top + plotH }));
    root.append(svg('line', { class: 'axis', x1: PAD.left, y1: PAD.top, x2: PAD.left,
                              y2: PAD.top + plotH }));
    for (const v of top - bottom >= 4 ? [bottom, (bottom + top) / 2, top] : [bottom, top]) {
        root.append(svg('text', { class: 'tick', x: PAD.left - 4, y: y(v) + 4,
                                  'text-anchor': 'end' }, String(Math.round(v))));
    }
    for (let h = 24; h >= 0; h -= 6) {
        const t = now - h * 3600;
        root.append(svg('text', { class: 'tick', x: x(t), y: HEIGHT - 8, 'text-anchor': 'middle' },
                        h === 0 ? labels.now : `-${h} h`));
    }

    for (const change of switches) {
        const mark = svg('line', { class: `switch ${change.type}`, x1: x(change.t), x2: x(change.t),
                                   y1: PAD.top, y2: PAD.top + plotH, 'data-type': change.type });
        const what = change.type === 'daynight' ? change.state : `${labels.scheme} ${change.scheme}`;
        mark.append(svg('title', {}, `${change.wall}: ${what}`));
        root.append(mark);
    }

    // The level, broken where the module gave none.
    let path = '';
    let drawing = false;
    for (const sample of samples) {
        if (typeof sample.level !== 'number') {
            drawing = false;
            continue;
        }
        path += `${drawing ? 'L' : 'M'}${x(sample.t).toFixed(1)} ${y(sample.level).toFixed(1)} `;
        drawing = true;
    }
    if (path) {
        root.append(svg('path', { class: 'level', d: path.trim() }));
    } else {
        root.append(svg('text', { class: 'empty', x: WIDTH / 2, y: HEIGHT / 2,
                                  'text-anchor': 'middle' }, labels.noLevel));
    }
    return root;
}
