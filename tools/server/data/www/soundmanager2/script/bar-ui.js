/*
 * Lark-Bay player bar: a small player for the page the client writes.
 * Turns every ".sm2-bar-ui" block into a player: its "ul.sm2-playlist-bd" is
 * the play list (li > a href=address), the "sm2-icon-play-pause" button plays
 * and pauses, buttons beside it go to the previous and the next entry, the
 * status shows the current entry, time, duration and progress.
 * Plays through SoundManager 2 when it is loaded, else through an HTML5 audio
 * element. A click that arrives before the sound engine is ready is kept and
 * carried out once it is.
 */
(function () {
  'use strict';

  function formatTime(ms) {
    if (!isFinite(ms) || ms < 0) ms = 0;
    var seconds = Math.floor(ms / 1000);
    var minutes = Math.floor(seconds / 60);
    seconds = seconds % 60;
    return minutes + ':' + (seconds < 10 ? '0' : '') + seconds;
  }

  // One engine interface over SoundManager 2 or a plain audio element.
  function Sm2Engine(events) {
    var sound = null;
    var counter = 0;
    this.load = function (url) {
      if (sound) sound.destruct();
      counter += 1;
      sound = window.soundManager.createSound({
        id: 'larkbay-' + counter,
        url: url,
        multiShot: false,
        whileplaying: function () { events.progress(this.position, this.durationEstimate || this.duration); },
        whileloading: function () { events.progress(this.position, this.durationEstimate || this.duration); },
        onplay: function () { events.state(true); },
        onresume: function () { events.state(true); },
        onpause: function () { events.state(false); },
        onstop: function () { events.state(false); },
        onfinish: function () { events.state(false); events.finished(); },
        onload: function (ok) { if (!ok) events.failed('load failed'); }
      });
    };
    this.toggle = function () {
      if (!sound) return;
      if (sound.playState === 0) sound.play(); else sound.togglePause();
    };
    this.playing = function () { return !!sound && sound.playState === 1 && !sound.paused; };
    this.seek = function (fraction) {
      if (!sound) return;
      var duration = sound.durationEstimate || sound.duration;
      if (duration) sound.setPosition(fraction * duration);
    };
    this.volume = function (value) { if (sound) sound.setVolume(value); };
  }

  function Html5Engine(events) {
    var audio = new Audio();
    audio.preload = 'auto';
    audio.addEventListener('timeupdate', function () { events.progress(audio.currentTime * 1000, audio.duration * 1000); });
    audio.addEventListener('durationchange', function () { events.progress(audio.currentTime * 1000, audio.duration * 1000); });
    audio.addEventListener('play', function () { events.state(true); });
    audio.addEventListener('pause', function () { events.state(false); });
    audio.addEventListener('ended', function () { events.state(false); events.finished(); });
    audio.addEventListener('error', function () {
      events.failed(audio.error ? 'media error ' + audio.error.code + ' ' + (audio.error.message || '') : 'media error');
    });
    this.load = function (url) { audio.src = url; };
    // A play cut short by a pause or by the next track is no failure.
    function refused(error) {
      if (error && error.name === 'AbortError') return;
      events.failed('play refused: ' + (error && error.name ? error.name + ' ' + error.message : String(error)));
    }
    this.toggle = function () { if (audio.paused) { var p = audio.play(); if (p && p.catch) p.catch(refused); } else audio.pause(); };
    this.playing = function () { return !audio.paused; };
    this.seek = function (fraction) { if (audio.duration) audio.currentTime = fraction * audio.duration; };
    this.volume = function (value) { audio.volume = value / 100; };
  }

  // A button element like the play button's, put beside it: the page has
  // only the play button, and the play list drawer opens where the window
  // may not show it, so the bar itself offers the way through the list.
  function addButton(playElement, where, kind, caption) {
    var element = document.createElement('div');
    element.className = 'sm2-inline-element sm2-button-element sm2-' + kind;
    var bd = document.createElement('div');
    bd.className = 'sm2-button-bd';
    var button = document.createElement('a');
    button.href = '#' + kind;
    button.className = 'sm2-inline-button sm2-icon-' + (kind === 'prev' ? 'previous' : 'next');
    button.title = caption;
    button.textContent = caption;
    bd.appendChild(button);
    element.appendChild(bd);
    playElement.parentNode.insertBefore(element, where === 'before' ? playElement : playElement.nextSibling);
    return button;
  }

  function BarPlayer(root) {
    var list = root.querySelector('ul.sm2-playlist-bd');
    var links = list ? Array.prototype.slice.call(list.querySelectorAll('li > a')) : [];
    var target = root.querySelector('.sm2-playlist-target');
    var timeBox = root.querySelector('.sm2-inline-time');
    var durationBox = root.querySelector('.sm2-inline-duration');
    var bar = root.querySelector('.sm2-progress-bar');
    var ball = root.querySelector('.sm2-progress-ball');
    var track = root.querySelector('.sm2-progress-track');
    var playButton = root.querySelector('.sm2-icon-play-pause');
    var volumeButton = root.querySelector('a.sm2-volume-control');
    var playElement = playButton ? playButton.closest('.sm2-button-element') : null;
    var prevButton = playElement ? addButton(playElement, 'before', 'prev', 'Previous') : null;
    var nextButton = playElement ? addButton(playElement, 'after', 'next', 'Next') : null;
    var seekArea = root.querySelector('.sm2-progress-bd') || track;
    var engine = null;
    var current = -1;
    var pendingToggle = false;
    var muted = false;

    var events = {
      progress: function (position, duration) {
        var fraction = duration > 0 ? Math.min(1, position / duration) : 0;
        if (timeBox) timeBox.textContent = formatTime(position);
        if (durationBox) durationBox.textContent = formatTime(duration);
        if (bar) bar.style.width = (fraction * 100) + '%';
        if (ball) ball.style.left = (fraction * 100) + '%';
      },
      state: function (playing) {
        root.classList.toggle('playing', playing);
        root.classList.toggle('paused', !playing);
      },
      finished: function () {
        if (current + 1 < links.length) select(current + 1, true);
      },
      failed: function (cause) {
        // The cause stays on the player for whoever looks into it.
        root.setAttribute('data-failure', cause || '');
        root.classList.add('sm2-error');
        root.classList.remove('playing');
      }
    };

    function showTitle(index) {
      if (!target) return;
      target.innerHTML = '';
      var ul = document.createElement('ul');
      ul.className = 'sm2-playlist-bd';
      var li = document.createElement('li');
      li.innerHTML = links[index] ? links[index].innerHTML : '';
      ul.appendChild(li);
      target.appendChild(ul);
    }

    // The first entry has no previous one, the last no next one.
    function showEnds() {
      if (prevButton) prevButton.classList.toggle('disabled', current <= 0);
      if (nextButton) nextButton.classList.toggle('disabled', current < 0 || current + 1 >= links.length);
    }

    // Steps through the list, playing on when the bar plays.
    function step(by) {
      if (!engine || current + by < 0 || current + by >= links.length) return;
      select(current + by, engine.playing());
    }

    function select(index, play) {
      if (!engine || index < 0 || index >= links.length) return;
      links.forEach(function (link, n) { link.parentNode.classList.toggle('selected', n === index); });
      current = index;
      root.classList.remove('sm2-error');
      root.removeAttribute('data-failure');
      showTitle(index);
      showEnds();
      engine.load(links[index].getAttribute('href'));
      events.progress(0, 0);
      if (play) engine.toggle();
    }

    function toggle() {
      if (!engine) { pendingToggle = !pendingToggle; return; }
      if (current < 0) select(0, false);
      engine.toggle();
    }

    function start(useSm2) {
      engine = useSm2 ? new Sm2Engine(events) : new Html5Engine(events);
      root.classList.add(useSm2 ? 'sm2-engine' : 'html5-engine');
      if (links.length) select(0, false);
      if (pendingToggle) { pendingToggle = false; toggle(); }
    }

    if (playButton) {
      playButton.addEventListener('click', function (e) { e.preventDefault(); toggle(); });
    }
    if (prevButton) prevButton.addEventListener('click', function (e) { e.preventDefault(); step(-1); });
    if (nextButton) nextButton.addEventListener('click', function (e) { e.preventDefault(); step(1); });
    showEnds();
    if (volumeButton) {
      volumeButton.addEventListener('click', function (e) {
        e.preventDefault();
        muted = !muted;
        root.classList.toggle('muted', muted);
        if (engine) engine.volume(muted ? 0 : 100);
      });
    }
    // The track is a few pixels high; the row around it takes the click.
    if (track && seekArea) {
      seekArea.addEventListener('click', function (e) {
        var box = track.getBoundingClientRect();
        if (engine && box.width > 0) engine.seek(Math.min(1, Math.max(0, (e.clientX - box.left) / box.width)));
      });
    }
    if (target) {
      target.addEventListener('click', function (e) { e.preventDefault(); root.classList.toggle('playlist-open'); });
    }
    links.forEach(function (link, n) {
      link.addEventListener('click', function (e) { e.preventDefault(); select(n, true); root.classList.remove('playlist-open'); });
    });

    this.start = start;
  }

  function boot() {
    var players = Array.prototype.slice.call(document.querySelectorAll('.sm2-bar-ui')).map(function (root) {
      return new BarPlayer(root);
    });
    if (!players.length) return;
    var started = false;
    function startAll(useSm2) {
      if (started) return;
      started = true;
      players.forEach(function (p) { p.start(useSm2); });
    }
    if (window.soundManager && window.soundManager.setup) {
      window.soundManager.setup({
        preferFlash: false,
        debugMode: false,
        html5PollingInterval: 100,
        onready: function () { startAll(true); },
        ontimeout: function () { startAll(false); }
      });
      setTimeout(function () { startAll(false); }, 3000);
    } else {
      startAll(false);
    }
  }

  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', boot);
  } else {
    boot();
  }
})();
