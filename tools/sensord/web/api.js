// The JSON API of sensord, same origin: the browser answers the HTTP Digest
// challenge itself and keeps the credentials for later requests.

// Resolves { ok, status, body } whatever the status, so a refusal can be
// shown; rejects only when the service cannot be reached.
// One request at a time: the browser numbers its Digest answers on a shared
// nonce, and the service refuses a count lower than one it has seen, which
// requests overtaking each other would send.
let queue = Promise.resolve();

export function call(method, path, body) {
    const next = queue.then(() => send(method, path, body));
    queue = next.catch(() => undefined);
    return next;
}

async function send(method, path, body) {
    const init = { method, cache: 'no-store', headers: { Accept: 'application/json' } };
    if (body !== undefined) {
        init.headers['Content-Type'] = 'application/json';
        init.body = JSON.stringify(body);
    }
    const response = await fetch(path, init);
    let data = null;
    try {
        data = await response.json();
    } catch (e) {
        data = null;
    }
    return { ok: response.ok, status: response.status, body: data };
}

export async function getJson(path) {
    const answer = await call('GET', path);
    if (!answer.ok) {
        const why = answer.body && answer.body.error ? answer.body.error : `HTTP ${answer.status}`;
        throw new Error(`${path}: ${why}`);
    }
    return answer.body;
}

export function setParameter(name, value) {
    return call('PUT', `/api/parameters/${encodeURIComponent(name)}`, { value });
}

// The event stream; EventSource reconnects by itself and sends
// Last-Event-ID, so the service replays what was missed or says "resync".
export function listen(handlers, onState) {
    const source = new EventSource('/api/events');
    for (const [type, handler] of Object.entries(handlers)) {
        source.addEventListener(type, (event) => {
            let data = null;
            try {
                data = event.data ? JSON.parse(event.data) : null;
            } catch (e) {
                return;
            }
            handler(data);
        });
    }
    source.onopen = () => onState(true);
    source.onerror = () => onState(source.readyState === EventSource.OPEN);
    return source;
}
