// What the page knows between messages: the host's last state, the views it shows, the
// drag under way, and what the panel shows now. Every module of the page shares it.

export const page = {
  state: null,        // the host's last state message
  classes: [],        // categories of creatable classes, from the first state
  views: [],          // {index, root, canvas, label, w, h, dpr, drawing, overlay, camera, unheard, pending}
  sized: false,       // the host has heard this connection's view sizes
  activeView: 0,
  layout: 4,          // how many views the viewport area shows: 1, 2 or 4
  previousLayout: 4,  // the layout a maximised view gives back
  drag: null,         // the pointer drag under way in a view
  playing: false,
  scrubbing: false,
  savingAs: false,    // a first save's name was sent and waits for its answer
  rollouts: [],       // the rollouts shown, as the host described them
  rolloutLayout: null,
  edited: null,       // the node whose rollouts the panel shows
};

export const $ = (id) => document.getElementById(id);
