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
  }

  // A new socket: whatever waited for the old one is dropped.
  attach(ws) {
    this.ws = ws;
    this.inFlight = 0;
    this.queue = [];
  }

  send(message, mergeKey) {
    const last = this.queue[this.queue.length - 1];
    if (mergeKey && last && last.key === mergeKey) {
      last.message = merge(last.message, message);
    } else {
      this.queue.push({ message, key: mergeKey });
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
      const { message } = this.queue.shift();
      message.seq = ++this.seq;
      this.inFlight++;
      this.ws.send(JSON.stringify(message));
    }
  }

  acknowledged() {
    this.inFlight = Math.max(0, this.inFlight - 1);
    this.pump();
  }

  idle() {
    return this.inFlight === 0 && this.queue.length === 0;
  }
}

export const outbox = new Outbox();

// Opens the page's socket and keeps it open: `onOpen()` once connected, `onText(message)`
// for each JSON message, `onFrame(buffer)` for each binary frame, `onClose()` when the
// socket closed, after which it tries again every second.
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
  ws.onclose = () => {
    handlers.onClose();
    setTimeout(() => connect(handlers), 1000);
  };
}
