// Which views the viewport area shows: all of them in a grid, two side by side, or one
// maximised, and the projections a view's label menu offers.

export const LAYOUTS = [1, 2, 4];

export const PROJECTIONS = [
  ['top', 'Top'], ['bottom', 'Bottom'], ['front', 'Front'], ['back', 'Back'],
  ['left', 'Left'], ['right', 'Right'], ['perspective', 'Perspective'],
];

// The indices of the views a layout of `layout` views shows out of `count`, with the
// view `active` among them: two views are shown in pairs (the first two, the next two).
export function shownViews(layout, count, active) {
  const all = Array.from({ length: count }, (_, i) => i);
  const a = Math.min(Math.max(0, active), count - 1);
  if (layout >= count) return all;
  if (layout === 1) return [a];
  const first = Math.min(a - (a % 2), count - 2);
  return [first, first + 1];
}

// The grid a number of shown views is laid out on: [columns, rows].
export function gridOf(shown) {
  if (shown <= 1) return [1, 1];
  if (shown === 2) return [2, 1];
  return [2, Math.ceil(shown / 2)];
}

// The layout after maximising or restoring: a maximised view gives back the layout
// that was before (`previous`), any other layout maximises the active view.
export function toggledLayout(layout, previous, count) {
  if (layout === 1 && count > 1) return { layout: previous > 1 ? previous : Math.min(4, count), previous: 1 };
  return { layout: 1, previous: layout };
}
