// The schemes table: each scheme's window, editable in place, and the
// button that applies a scheme. A row being edited keeps what the user typed
// when the table is drawn again from an event.
import { call } from './api.js';

// "HH:MM" in steps of ten minutes, 24:00 for the end of the day.
const TIME_PATTERN = '([01][0-9]|2[0-3]):[0-5]0|24:00';

function node(tag, attributes = {}, text = '') {
    const made = document.createElement(tag);
    for (const [key, value] of Object.entries(attributes)) {
        made.setAttribute(key, value);
    }
    if (text) {
        made.textContent = text;
    }
    return made;
}

function errorOf(answer) {
    return answer.body && answer.body.error ? answer.body.error : `HTTP ${answer.status}`;
}

class SchemeRow {
    constructor(index, onChanged) {
        this.index = index;
        this.onChanged = onChanged;
        this.dirty = false;
        this.root = node('tr', { 'data-scheme': index });
        const label = `Scheme ${index}`;
        this.enabled = node('input', { type: 'checkbox', 'aria-label': `${label} enabled` });
        this.start = node('input', { type: 'text', class: 'time', inputmode: 'numeric',
                                     pattern: TIME_PATTERN, maxlength: 5, size: 5,
                                     'aria-label': `${label} starts at` });
        this.end = node('input', { type: 'text', class: 'time', inputmode: 'numeric',
                                   pattern: TIME_PATTERN, maxlength: 5, size: 5,
                                   'aria-label': `${label} ends at` });
        this.save = node('button', { type: 'button', class: 'save',
                                     'aria-label': `Save the window of scheme ${index}` }, 'Save');
        this.use = node('button', { type: 'button', class: 'use',
                                    'aria-label': `Use scheme ${index}` }, 'Use');
        this.note = node('p', { class: 'note', 'aria-live': 'polite' });
        for (const input of [this.enabled, this.start, this.end]) {
            input.addEventListener('input', () => this.markDirty(true));
            input.addEventListener('change', () => this.markDirty(true));
        }
        for (const input of [this.start, this.end]) {
            input.addEventListener('keydown', (event) => {
                if (event.key === 'Enter') {
                    this.submit();
                } else if (event.key === 'Escape') {
                    this.markDirty(false);
                    this.setNote('', false);
                    this.show(this.shown);
                }
            });
        }
        this.save.addEventListener('click', () => this.submit());
        this.use.addEventListener('click', () => this.apply());
        const times = node('td', { class: 'window' });
        times.append(this.start, '–', this.end);
        const enabled = node('td');
        enabled.append(this.enabled);
        const actions = node('td', { class: 'actions' });
        actions.append(this.save, this.use);
        const note = node('td', { colspan: 4, class: 'note-cell' });
        note.append(this.note);
        this.noteRow = node('tr', { class: 'scheme-note' });
        this.noteRow.append(note);
        this.noteRow.hidden = true;
        this.root.append(node('th', { scope: 'row' }, String(index)), times, enabled, actions);
        this.markDirty(false);
    }

    markDirty(dirty) {
        this.dirty = dirty;
        this.save.disabled = !dirty;
        this.root.classList.toggle('dirty', dirty);
    }

    setNote(text, bad) {
        this.note.textContent = text || '';
        this.note.classList.toggle('error', Boolean(bad));
        this.noteRow.hidden = !text;
    }

    // What the service says; an edit in progress stays on screen.
    show(scheme) {
        this.shown = scheme;
        this.root.classList.toggle('active', scheme.active);
        this.use.disabled = scheme.active;
        this.use.textContent = scheme.active ? 'Active' : 'Use';
        if (!this.dirty) {
            this.enabled.checked = scheme.enabled;
            this.start.value = scheme.start;
            this.end.value = scheme.end;
        }
    }

    typed() {
        return { enabled: this.enabled.checked, start: this.start.value, end: this.end.value };
    }

    async submit() {
        for (const input of [this.start, this.end]) {
            if (!input.checkValidity()) {
                this.setNote('A time is HH:MM in steps of 10 minutes, 00:00 to 24:00.', true);
                input.focus();
                return;
            }
        }
        const sent = this.typed();
        const answer = await call('PUT', `/api/schemes/${this.index}`, sent);
        if (!answer.ok) {
            this.setNote(errorOf(answer), true);
            return;
        }
        // The user may have typed on while it was saved: that stays.
        if (JSON.stringify(this.typed()) === JSON.stringify(sent)) {
            this.markDirty(false);
        }
        this.setNote('Saved.', false);
        this.onChanged(answer.body);
    }

    async apply() {
        const answer = await call('POST', '/api/schemes/active', { scheme: this.index });
        if (!answer.ok) {
            this.setNote(errorOf(answer), true);
            return;
        }
        this.setNote('', false);
        this.onChanged(answer.body);
    }
}

export class SchemeTable {
    // p_body: the table's tbody; p_onChanged(schemes) after a change here.
    constructor(body, onChanged) {
        this.body = body;
        this.onChanged = onChanged;
        this.rows = new Map();
    }

    render(data) {
        const order = [];
        for (const scheme of data.schemes) {
            let row = this.rows.get(scheme.index);
            if (!row) {
                row = new SchemeRow(scheme.index, this.onChanged);
                this.rows.set(scheme.index, row);
            }
            row.show(scheme);
            order.push(row.root, row.noteRow);
        }
        // Rows put in again would lose the focus of one being edited.
        const same = order.length === this.body.children.length &&
                     order.every((row, i) => this.body.children[i] === row);
        if (!same) {
            this.body.replaceChildren(...order);
        }
    }
}
