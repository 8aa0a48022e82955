// Moving the views' cameras in the page. Orbit, pan and zoom apply at once and draw the
// view again; the host hears of the camera through the outbox, where a camera still
// waiting to go is replaced by the newer one, so at most one is on its way per view and
// the newest wins. A camera the host sends (frame selected, another projection, another
// page's move) is taken once the host has heard this page's last one.
import { cameraMessage, orbit, pan, sameCamera, zoom } from './camera.mjs';
import { noteMotion, scheduleDraw } from './drawing.mjs';
import { outbox } from './host_link.mjs';
import { page } from './page_state.mjs';

export const NAV_ORBIT = 'orbit';
export const NAV_PAN = 'pan';
// The host's own range when it has not said one.
const DEFAULT_ZOOM_RANGE = [1e-4, 1e8];

function moveTo(view, camera) {
  if (!camera || sameCamera(camera, view.camera)) return;
  view.camera = camera;
  view.unheard = (view.unheard || 0) + 1;
  noteMotion(view);
  scheduleDraw(view);
  outbox.send(cameraMessage(view.index, camera), `camera${view.index}`, () => {
    view.unheard -= 1;
  });
}

// A drag of dx, dy pixels in `view` doing `nav`.
export function navigate(view, nav, dx, dy) {
  if (!view.camera) return;
  moveTo(view, nav === NAV_ORBIT ? orbit(view.camera, dx, dy) : pan(view.camera, view.w, view.h, dx, dy));
}

// The wheel's zoom by `factor` about the pixel (x, y).
export function zoomView(view, factor, x, y) {
  if (!view.camera) return;
  const range = (page.state && page.state.zoomRange) || DEFAULT_ZOOM_RANGE;
  moveTo(view, zoom(view.camera, view.w, view.h, factor, x, y, range));
}

// Takes the cameras of the host's state for the views whose moves the host has heard.
export function takeHostCameras(state) {
  state.views.forEach((info, i) => {
    const view = page.views[i];
    if (!view || !info.camera || view.unheard > 0 || sameCamera(view.camera, info.camera)) return;
    view.camera = info.camera;
    scheduleDraw(view);
  });
}

// The host's word that only what the page shows moved: its views, hover and kind of
// drag replace the state's.
export function takeHostViews(message) {
  if (!page.state) return;
  page.state.revision = message.revision;
  page.state.views = message.views;
  page.state.hover = message.hover;
  page.state.drag = message.drag ?? null;
  takeHostCameras(page.state);
}
