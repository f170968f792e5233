// One control per parameter descriptor: a slider with its number for a
// range, a select for a menu, a switch for on/off, a button for an action,
// plain text for a read-only value. Each sends a change at once through
// p_send and then shows what the module took or why it refused.

let serial = 0;

function element(tag, attributes = {}, text) {
    const node = document.createElement(tag);
    for (const [name, value] of Object.entries(attributes)) {
        if (value !== undefined && value !== null) {
            node.setAttribute(name, String(value));
        }
    }
    if (text !== undefined) {
        node.textContent = text;
    }
    return node;
}

// "exposure-comp" -> "Exposure comp" when the texts have no label for it.
export function humanize(name) {
    const words = String(name).replace(/[-_]+/g, ' ').trim();
    return words.charAt(0).toUpperCase() + words.slice(1);
}

export function textFor(texts, key) {
    return (texts && texts[key]) || humanize(key);
}

const UNITS = { '%': '%', s: 's', h: 'h', '10min': '× 10 min', min: 'min', '1/s': '1/s' };

export class Control {
    // p_send(name, value) resolves { ok, body } from the API.
    constructor(descriptor, texts, send) {
        this.descriptor = descriptor;
        this.send = send;
        this.value = descriptor.value;
        const base = `p-${descriptor.name.replace(/[^A-Za-z0-9_-]/g, '_')}-${++serial}`;
        this.baseId = base;
        this.root = element('div', { class: `field kind-${descriptor.kind}`,
                                     'data-parameter': descriptor.name,
                                     'data-id': descriptor.id });
        this.label = element('label', { for: base, id: `${base}-label` });
        this.note = element('p', { class: 'note', id: `${base}-note`, 'aria-live': 'polite' });
        this.body = element('div', { class: 'input' });
        this.root.append(this.label, this.body, this.note);
        this.build(base);
        this.relabel(texts);
        this.show(descriptor.value);
    }

    build(base) {
        const d = this.descriptor;
        const described = `${base}-note`;
        switch (d.kind) {
            case 'range': {
                this.slider = element('input', { type: 'range', id: base, min: d.min, max: d.max,
                                                 step: d.step || 1, 'aria-describedby': described });
                this.number = element('input', { type: 'number', id: `${base}-number`,
                                                 min: d.min, max: d.max, step: d.step || 1,
                                                 inputmode: 'numeric', class: 'number',
                                                 'aria-describedby': described });
                // While dragging only the number follows; the value goes out
                // once, when the slider is let go (or a key moved it).
                this.slider.addEventListener('input', () => { this.number.value = this.slider.value; });
                this.slider.addEventListener('change', () => this.commit(Number(this.slider.value)));
                this.number.addEventListener('change', () => {
                    if (this.number.value.trim() === '') {
                        this.show(this.value);
                        return;
                    }
                    this.commit(Number(this.number.value));
                });
                this.body.append(this.slider, this.number);
                if (UNITS[d.unit]) {
                    this.body.append(element('span', { class: 'unit' }, UNITS[d.unit]));
                }
                // Codes outside the range with a meaning of their own
                // ("-1 off", "0 close") are picked from a select beside.
                if (d.entries && d.entries.length) {
                    this.special = element('select', { id: `${base}-special`, class: 'special',
                                                       'aria-describedby': described });
                    this.special.append(element('option', { value: '' }));
                    for (const entry of d.entries) {
                        this.special.append(element('option', { value: entry.code }));
                    }
                    this.special.addEventListener('change', () => {
                        const code = this.special.value;
                        this.commit(code === '' ? Number(this.slider.value) : Number(code));
                    });
                    this.body.append(this.special);
                }
                break;
            }
            case 'menu': {
                this.select = element('select', { id: base, 'aria-describedby': described });
                for (const entry of d.entries || []) {
                    this.select.append(element('option', { value: entry.code }));
                }
                this.select.addEventListener('change', () => this.commit(Number(this.select.value)));
                this.body.append(this.select);
                break;
            }
            case 'on-off': {
                this.toggle = element('input', { type: 'checkbox', role: 'switch', id: base,
                                                 class: 'switch', 'aria-describedby': described });
                this.toggle.addEventListener('change', () => this.commit(this.toggle.checked ? 1 : 0));
                this.body.append(this.toggle);
                break;
            }
            case 'action': {
                this.button = element('button', { type: 'button', id: base,
                                                   'aria-describedby': described });
                this.button.addEventListener('click', () => this.commit(1));
                this.body.append(this.button);
                break;
            }
            default: {
                this.text = element('output', { id: base, 'aria-describedby': described });
                this.body.append(this.text);
            }
        }
    }

    relabel(texts) {
        const d = this.descriptor;
        const label = textFor(texts, d.name);
        this.label.textContent = label;
        if (this.number) {
            this.number.setAttribute('aria-label', `${label} (number)`);
        }
        if (this.special) {
            this.special.setAttribute('aria-label', `${label} (special value)`);
            this.special.options[0].textContent = `${d.min}..${d.max}`;
            d.entries.forEach((entry, i) => {
                this.special.options[i + 1].textContent = textFor(texts, entry.name);
            });
        }
        if (this.select) {
            (d.entries || []).forEach((entry, i) => {
                this.select.options[i].textContent = textFor(texts, entry.name);
            });
        }
        if (this.button) {
            this.button.textContent = label;
        }
    }

    // Shows p_value as the module's; nothing is sent.
    show(value) {
        this.value = value;
        const d = this.descriptor;
        if (this.slider) {
            const inRange = value >= d.min && value <= d.max;
            const special = this.special && (d.entries || []).some((e) => e.code === value);
            if (inRange) {
                this.slider.value = String(value);
            }
            this.number.value = inRange || !special ? String(value) : '';
            this.slider.disabled = false;
            this.root.classList.toggle('at-special', Boolean(special) && !inRange);
            if (this.special) {
                this.special.value = special && !inRange ? String(value) : '';
            }
        } else if (this.select) {
            this.select.value = String(value);
        } else if (this.toggle) {
            this.toggle.checked = Boolean(value);
            this.toggle.setAttribute('aria-checked', value ? 'true' : 'false');
        } else if (this.text) {
            this.text.textContent = String(value);
        }
        this.root.dataset.value = String(value);
    }

    setNote(text, kind) {
        this.note.textContent = text;
        this.note.className = `note ${kind || ''}`.trim();
        this.root.classList.toggle('refused', kind === 'error');
    }

    // A value the page sent or another client set: the module's word wins.
    async commit(value) {
        const d = this.descriptor;
        this.root.classList.add('busy');
        this.setNote('', '');
        let answer;
        try {
            answer = await this.send(d.name, value);
        } catch (e) {
            answer = { ok: false, status: 0, body: { error: `the camera cannot be reached (${e.message})` } };
        }
        this.root.classList.remove('busy');
        if (answer.ok) {
            const values = answer.body && answer.body.values;
            const taken = values && d.name in values ? values[d.name] : value;
            this.show(taken);
            this.setNote(taken === value ? '' : `the module took ${taken}`, 'ok');
            return true;
        }
        const why = answer.body && answer.body.error ? answer.body.error : `HTTP ${answer.status}`;
        // The range goes beside the refusal even when the message lacks it.
        const range = d.takes && !why.includes(d.takes) ? ` (takes ${d.takes})` : '';
        this.show(this.value);
        this.setNote(`${why}${range}`, 'error');
        return false;
    }
}
