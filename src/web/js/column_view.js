/* Sonabel player: the library list's columns on screen: the header, one
   grid template that the header and the rows share, the columns a narrow
   list has no room for, and resizing by a header's edge or Alt+←/→ (with
   Shift, the column moves instead). */
(function () {
  'use strict';
  var P = window.SonabelPlayer, el = P.el, model = P.model, table = P.core.columns;
  var head = el.grid.querySelector('.row.head'), strip = head.parentNode;
  // Format goes at 640 px and below, # at 560 px, where the stylesheet
  // narrows the other columns.
  var narrow = { format: window.matchMedia('(max-width: 640px)'), index: window.matchMedia('(max-width: 560px)') };
  var STEP = 16; // px per Alt+arrow

  var view = P.columns = {
    shown: [],     // the column definitions on screen, in order
    entries: [],   // their layout entries ({ key, width })
    dragging: null // the layout while an edge is dragged, saved when let go
  };
  var shownKeys = null;

  function layout() { return view.dragging || P.settings.columns; }
  // The room a column needs: the grid squeezes a column to its least width
  // before anything would clip, but Title keeps its starting width while it
  // takes the room left over.
  function need(e) { var col = table.byKey(e.key); return e.key === 'title' && !e.width ? col.width : col.min; }

  // The chosen columns there is room for. Columns beyond the default set
  // go first, the rightmost first, and all of them where Format goes.
  function fitting(list) {
    list = list.filter(function (e) {
      return !(narrow[e.key] && narrow[e.key].matches) && !(table.byKey(e.key).extra && narrow.format.matches);
    });
    var room = el.viewport.clientWidth - 32; // the rows' padding and margins
    if (room <= 0) return list; // not on screen; decided once it is
    var total = list.reduce(function (sum, e) { return sum + need(e); }, 0);
    for (var i = list.length - 1; i >= 0 && total > room; i--) {
      if (!table.byKey(list[i].key).extra) continue;
      total -= need(list[i]);
      list.splice(i, 1);
    }
    return list;
  }

  // The first column that takes the room left over, or past the end when
  // every column has a width of its own (an empty track takes it then).
  function flexAt(entries) {
    for (var i = 0; i < entries.length; i++) if (!entries[i].width && table.byKey(entries[i].key).flex) return i;
    return entries.length;
  }

  function track(e) {
    var col = table.byKey(e.key);
    if (e.width) return 'minmax(' + col.min + 'px, ' + e.width + 'px)';
    if (col.flex) return 'minmax(' + need(e) + 'px, ' + col.flex + 'fr)';
    // The stylesheet narrows the default columns in narrow windows.
    return 'minmax(' + col.min + 'px, var(--w-' + col.key + ', ' + col.width + 'px))';
  }

  function buildHead() {
    var focused = document.activeElement && head.contains(document.activeElement) ?
      document.activeElement.parentNode.getAttribute('data-column') : null;
    head.textContent = '';
    view.shown.forEach(function (col) {
      var h = document.createElement('div');
      h.setAttribute('role', 'columnheader');
      h.className = col.cls + (col.end ? ' end' : '');
      h.setAttribute('data-key', col.key); // what it sorts by
      h.setAttribute('data-column', col.key);
      var b = document.createElement('button');
      b.type = 'button';
      b.className = 'sort';
      b.setAttribute('aria-label', 'Sort by ' + col.name.toLowerCase());
      var label = document.createElement('span');
      label.className = 'label';
      label.textContent = col.label;
      b.appendChild(label);
      var arrow = document.createElement('i');
      arrow.className = 'arrow';
      arrow.setAttribute('aria-hidden', 'true');
      b.appendChild(arrow);
      var grip = document.createElement('span');
      grip.className = 'grip';
      grip.setAttribute('aria-hidden', 'true');
      grip.title = 'Drag to resize; double-click for the usual width';
      h.appendChild(b);
      h.appendChild(grip);
      head.appendChild(h);
    });
    if (P.showSort) P.showSort();
    if (focused) view.focusHeader(focused);
  }

  // Puts the keyboard on a column's header button; false when not shown.
  view.focusHeader = function (key) {
    var h = head.querySelector('[data-column="' + key + '"] button');
    if (h) h.focus();
    return !!h;
  };

  function apply() {
    var entries = view.entries = fitting(layout()), flex = flexAt(entries);
    el.grid.style.setProperty('--columns', entries.map(track).join(' ') + (flex === entries.length ? ' minmax(0, 1fr)' : ''));
    // The header leaves room for the list's scroll bar, so that the two line up.
    el.grid.style.setProperty('--scrollbar', Math.max(0, el.viewport.offsetWidth - el.viewport.clientWidth) + 'px');
    var keys = entries.map(function (e) { return e.key; }).join(' ');
    if (keys !== shownKeys) {
      shownKeys = keys;
      view.shown = entries.map(function (e) { return table.byKey(e.key); });
      buildHead();
      el.grid.setAttribute('aria-colcount', String(entries.length));
      if (P.resetRows) P.resetRows();
    }
    // The last column's right edge is the list's, unless an empty track follows.
    var cells = head.children;
    for (var i = 0; i < cells.length; i++) cells[i].lastChild.hidden = i === cells.length - 1 && flex < cells.length;
  }
  apply();

  model.on('settings', function (key) { if (key === 'columns') apply(); });
  if (window.ResizeObserver) new ResizeObserver(function () { apply(); }).observe(el.viewport);
  else window.addEventListener('resize', apply);

  function setWidth(key, width, save) {
    var next = table.withWidth(layout(), key, width);
    if (save) { view.dragging = null; model.setSetting('columns', next); } else { view.dragging = next; apply(); }
  }

  // The column that the edge after header `i` resizes. Left of the column
  // that takes the room left over, that is the column before the edge;
  // from there on the one after it, which grows leftwards, so that the
  // edge follows the pointer either way.
  function edgeColumn(grip) {
    var i = Array.prototype.indexOf.call(head.children, grip.parentNode);
    return i < flexAt(view.entries) ? { at: i, sign: 1 } : { at: i + 1, sign: -1 };
  }

  head.addEventListener('pointerdown', function (e) {
    var grip = e.target.closest('.grip');
    if (!grip || e.button !== 0) return;
    e.preventDefault();
    var target = edgeColumn(grip), key = view.entries[target.at].key, x0 = e.clientX;
    var start = head.children[target.at].getBoundingClientRect().width, width = start;
    document.body.classList.add('resizing');
    function move(ev) {
      width = start + target.sign * (ev.clientX - x0);
      setWidth(key, width, false);
    }
    function end() {
      window.removeEventListener('pointermove', move);
      window.removeEventListener('pointerup', end);
      window.removeEventListener('pointercancel', end);
      document.body.classList.remove('resizing');
      if (view.dragging) setWidth(key, width, true);
    }
    window.addEventListener('pointermove', move);
    window.addEventListener('pointerup', end);
    window.addEventListener('pointercancel', end);
  });

  head.addEventListener('dblclick', function (e) {
    var grip = e.target.closest('.grip');
    if (grip) setWidth(view.entries[edgeColumn(grip).at].key, null, true);
  });

  head.addEventListener('keydown', function (e) {
    var cell = e.target.closest('[role=columnheader]');
    if (!cell) return;
    var key = cell.getAttribute('data-column');
    if (e.key === 'ContextMenu' || (e.key === 'F10' && e.shiftKey)) {
      e.preventDefault();
      e.stopPropagation();
      var box = cell.getBoundingClientRect();
      P.openColumnMenu(box.left, box.bottom, key);
    } else if (e.altKey && (e.key === 'ArrowLeft' || e.key === 'ArrowRight')) {
      e.preventDefault();
      e.stopPropagation();
      var dir = e.key === 'ArrowLeft' ? -1 : 1;
      if (e.shiftKey) model.setSetting('columns', table.moved(P.settings.columns, key, dir));
      else setWidth(key, cell.getBoundingClientRect().width + dir * STEP, true);
    }
  });

  // The engine's menu never shows; the header's own does.
  strip.addEventListener('contextmenu', function (e) {
    e.preventDefault();
    e.stopPropagation();
    var cell = e.target.closest('[role=columnheader]');
    var key = cell && cell.getAttribute('data-column');
    // The menu key arrives without a pointer position.
    if (e.clientX === 0 && e.clientY === 0 && cell) { var box = cell.getBoundingClientRect(); P.openColumnMenu(box.left, box.bottom, key); }
    else P.openColumnMenu(e.clientX, e.clientY, key);
  });
})();
