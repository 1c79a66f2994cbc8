/* Sonabel player: the Up next panel. Renders the queue from the play
   context; reorder by dragging or Alt+Up/Down, Delete removes an entry. */
(function () {
  'use strict';
  var P = window.SonabelPlayer, $ = P.$;
  var panel = $('queue-panel'), list = $('queue-list'), toggle = $('queue-toggle');
  var clearBtn = $('queue-clear'), empty = $('queue-empty'), stopAfter = $('stop-after');
  var dragFrom = -1;

  function item(t, i) {
    var li = document.createElement('li');
    li.className = 'queue-item';
    li.draggable = true;
    li.tabIndex = 0;
    li.setAttribute('data-pos', String(i));
    var text = document.createElement('span');
    text.className = 'queue-text';
    var title = document.createElement('span');
    title.className = 'queue-title';
    title.textContent = t.title;
    var artist = document.createElement('span');
    artist.className = 'queue-artist';
    artist.textContent = t.artist;
    text.appendChild(title);
    text.appendChild(artist);
    li.title = t.title + ' \u2014 ' + t.artist;
    var rm = document.createElement('button');
    rm.type = 'button';
    rm.className = 'icon-btn queue-remove';
    rm.setAttribute('aria-label', 'Remove ' + t.title + ' from the queue');
    rm.tabIndex = -1;
    rm.textContent = '\u00d7';
    li.appendChild(text);
    li.appendChild(rm);
    return li;
  }

  function render(focusAt) {
    var q = P.playing.queue;
    while (list.firstChild) list.removeChild(list.firstChild);
    for (var i = 0; i < q.length; i++) list.appendChild(item(q[i], i));
    empty.hidden = q.length > 0;
    clearBtn.disabled = q.length === 0;
    stopAfter.checked = P.playing.stopAfter;
    toggle.title = q.length ? 'Up next (' + q.length + ')' : 'Up next';
    if (focusAt !== undefined && list.children.length) list.children[Math.max(0, Math.min(focusAt, q.length - 1))].focus();
  }
  P.model.on('playing', function () { render(); });

  function show(on) {
    panel.hidden = !on;
    toggle.setAttribute('aria-pressed', on ? 'true' : 'false');
    document.body.classList.toggle('queue-open', on);
    if (on) render();
  }
  P.toggleQueue = function () { show(panel.hidden); };
  toggle.addEventListener('click', P.toggleQueue);

  function posOf(node) {
    var li = node && node.closest ? node.closest('.queue-item') : null;
    return li ? Number(li.getAttribute('data-pos')) : -1;
  }

  list.addEventListener('click', function (e) {
    if (e.target.closest('.queue-remove')) P.model.unqueue(posOf(e.target));
  });
  list.addEventListener('dblclick', function (e) {
    var i = posOf(e.target);
    if (i < 0) return;
    // Play it now: everything queued before it stays queued.
    var t = P.playing.queue[i];
    P.model.unqueue(i);
    P.model.enqueue([t], true);
    P.step(1, false);
  });
  list.addEventListener('keydown', function (e) {
    var i = posOf(e.target);
    if (i < 0) return;
    e.stopPropagation();
    if (e.altKey && (e.key === 'ArrowUp' || e.key === 'ArrowDown')) {
      e.preventDefault();
      var to = i + (e.key === 'ArrowUp' ? -1 : 1);
      P.model.moveQueued(i, to);
      render(to);
    } else if (e.key === 'ArrowUp' || e.key === 'ArrowDown') {
      e.preventDefault();
      var next = list.children[i + (e.key === 'ArrowUp' ? -1 : 1)];
      if (next) next.focus();
    } else if (e.key === 'Delete' || e.key === 'Backspace') {
      e.preventDefault();
      P.model.unqueue(i);
      render(i);
    } else if (e.key === 'Escape') {
      show(false);
      toggle.focus();
    }
  });

  list.addEventListener('dragstart', function (e) {
    dragFrom = posOf(e.target);
    e.dataTransfer.effectAllowed = 'move';
    try { e.dataTransfer.setData('text/plain', String(dragFrom)); } catch (x) { /* engine without it */ }
  });
  list.addEventListener('dragover', function (e) { if (dragFrom >= 0) e.dataTransfer.dropEffect = 'move'; });
  list.addEventListener('drop', function (e) {
    var to = posOf(e.target);
    if (dragFrom >= 0 && to >= 0 && to !== dragFrom) P.model.moveQueued(dragFrom, to);
    dragFrom = -1;
  });
  list.addEventListener('dragend', function () { dragFrom = -1; });

  clearBtn.addEventListener('click', function () { P.model.clearQueue(); });
  stopAfter.addEventListener('change', function () { P.model.setStopAfter(stopAfter.checked); });
  render();
})();
