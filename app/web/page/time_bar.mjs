// The time bar: the slider and frame box that show and set the scene's frame, and
// playing the frame range at the scene's rate.
import { outbox } from './host_link.mjs';
import { $, page } from './page_state.mjs';

export function updateTime(state, first) {
  const slider = $('time-slider');
  slider.min = String(state.start);
  slider.max = String(state.end);
  if (!page.scrubbing && !page.playing) slider.value = String(state.frame);
  const number = $('frame-number');
  if (document.activeElement !== number || first) number.value = String(state.frame);
  $('frame-range').textContent = `${state.start}\u2013${state.end} at ${state.fps} fps`;
}

function setFrame(frame) {
  outbox.send({ type: 'frame', frame }, 'frame');
}

function togglePlay() {
  page.playing = !page.playing;
  $('play').textContent = page.playing ? '\u25a0' : '\u25b6';
  if (!page.playing || !page.state) return;
  const { start, end, fps } = page.state;
  let frame = Number($('time-slider').value);
  let last = performance.now();
  const step = (now) => {
    if (!page.playing) return;
    frame += ((now - last) / 1000) * fps;
    last = now;
    if (frame > end) frame = start + ((frame - start) % Math.max(1, end - start + 1));
    const whole = Math.floor(frame);
    if (String(whole) !== $('time-slider').value) {
      $('time-slider').value = String(whole);
      $('frame-number').value = String(whole);
      setFrame(whole);
    }
    requestAnimationFrame(step);
  };
  requestAnimationFrame(step);
}

export function wireTimeBar() {
  $('play').addEventListener('click', togglePlay);
  const slider = $('time-slider');
  slider.addEventListener('pointerdown', () => { page.scrubbing = true; });
  slider.addEventListener('pointerup', () => { page.scrubbing = false; });
  slider.addEventListener('input', () => {
    $('frame-number').value = slider.value;
    setFrame(Number(slider.value));
  });
  $('frame-number').addEventListener('change', (e) => {
    const frame = Number(e.target.value);
    if (Number.isFinite(frame)) setFrame(frame);
  });
}
