// Talking to the host over the page's WebSocket: text messages (JSON) both ways and the
// binary frames of the views from the host (app/web/page_host.h lists them).

const SOCKET_OPEN = 1;

// Two messages of the same merge key that wait together become one: drags add up,
// zooms multiply (within the host's accepted range), spinner steps add up, and for
// anything else the newer one wins.
export function merge(older, newer) {
  if (newer.type === 'orbit' || newer.type === 'pan') {
    return { ...newer, dx: older.dx + newer.dx, dy: older.dy + newer.dy };
  }
  if (newer.type === 'zoom') {
    return { ...newer, factor: Math.min(1000, Math.max(0.001, older.factor * newer.factor)) };
  }
  if (newer.type === 'control' && newer.action === 'spin') return { ...newer, steps: older.steps + newer.steps };
  return newer;  // pointer moves, frames and sizes: the latest wins
}

// Messages wait here until the host has answered the one before: at most one is in
// flight, and moves that pile up meanwhile merge, so the page never gets ahead of the
// host and every drag stays responsive.
export class Outbox {
  constructor() {
    this.ws = null;
    this.queue = [];
    this.inFlight = 0;
    this.seq = 0;
    this.flying = null;  // the queue entry sent and not yet acknowledged
  }

  // A new socket: whatever waited for the old one is dropped, and those waiting for
  // its answer stop waiting.
  attach(ws) {
    for (const entry of [this.flying, ...this.queue]) for (const call of entry ? entry.answered : []) call();
    this.ws = ws;
    this.inFlight = 0;
    this.queue = [];
    this.flying = null;
  }

  // `answered`, if given, is called once the host has acknowledged the message (or the
  // one it merged into), or the message was dropped with its socket.
  send(message, mergeKey, answered) {
    const last = this.queue[this.queue.length - 1];
    if (mergeKey && last && last.key === mergeKey) {
      last.message = merge(last.message, message);
      if (answered) last.answered.push(answered);
    } else {
      this.queue.push({ message, key: mergeKey, answered: answered ? [answered] : [] });
    }
    this.pump();
  }

  // Sends at once, outside the queue and without a sequence number: for answers the
  // host waits for while it handles another message.
  sendNow(message) {
    if (this.ws && this.ws.readyState === SOCKET_OPEN) this.ws.send(JSON.stringify(message));
  }

  pump() {
    while (this.inFlight < 1 && this.queue.length && this.ws && this.ws.readyState === SOCKET_OPEN) {
      this.flying = this.queue.shift();
      this.flying.message.seq = ++this.seq;
      this.inFlight++;
      if (this.inFlight === 1) this.waitingSince = performance.now();
      this.ws.send(JSON.stringify(this.flying.message));
    }
  }

  acknowledged() {
    this.inFlight = Math.max(0, this.inFlight - 1);
    const answered = this.flying ? this.flying.answered : [];
    this.flying = null;
    for (const call of answered) call();
    this.pump();
  }

  idle() {
    return this.inFlight === 0 && this.queue.length === 0;
  }

  // How long, in milliseconds, the host has kept the page waiting for its answer.
  waited(now = performance.now()) {
    return this.inFlight > 0 ? now - this.waitingSince : 0;
  }
}

export const outbox = new Outbox();

// The close code of a host that dropped the page for a reason it gives: connecting
// again would only meet the same end.
export const POLICY_CLOSE = 1008;

// Whether to connect again after a close: not when the host said why it closed.
export function retries(closeEvent) {
  return closeEvent.code !== POLICY_CLOSE;
}

// What a probe of the server after a close found: 'gone' when nothing answers (it may
// come back), 'replaced' when a server answers but refuses this page's token (it was
// started again, with a new address), 'same' otherwise.
export function probeVerdict(status) {
  if (status === null) return 'gone';
  return status === 401 || status === 403 ? 'replaced' : 'same';
}

// Asks the server for a small file with the page's credentials: its HTTP status, or
// null when nothing answered.
export async function probeServer() {
  try {
    const response = await fetch('/favicon.svg', { cache: 'no-store', credentials: 'same-origin' });
    return response.status;
  } catch {
    return null;
  }
}

// Opens the page's socket and keeps it open: `onOpen()` once connected, `onText(message)`
// for each JSON message, `onFrame(buffer)` for each binary frame, `onClose(reason)` when
// the socket closed, after which it tries again every second, unless the host closed it
// for a reason (given then; null otherwise) or `beforeRetry()` resolves to false.
export function connect(handlers) {
  const ws = new WebSocket(`ws://${location.host}/ws`);
  ws.binaryType = 'arraybuffer';
  ws.onopen = () => {
    outbox.attach(ws);
    handlers.onOpen();
  };
  ws.onmessage = (event) => {
    if (typeof event.data === 'string') handlers.onText(JSON.parse(event.data));
    else handlers.onFrame(event.data);
  };
  ws.onclose = async (event) => {
    const again = retries(event);
    handlers.onClose(again ? null : event.reason || 'the host closed the connection');
    if (!again || (handlers.beforeRetry && !(await handlers.beforeRetry()))) return;
    setTimeout(() => connect(handlers), 1000);
  };
}
