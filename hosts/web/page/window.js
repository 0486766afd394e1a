// The window: the host's verbs on the page (hosts/web/page/host_library.js
// calls them as Module.page.window), its menus, and the canvas fitted to
// whole device pixels.
'use strict';

const pageWindow = {
  canvas: document.getElementById('screen'),
  context: null,
  clientWidth: 0,
  clientHeight: 0,
  image: null,
  scale: 0,  // device pixels to a pixel of the machine, once shown

  create(title, clientWidth, clientHeight, background) {
    document.title = title;
    this.clientWidth = clientWidth;
    this.clientHeight = clientHeight;
    this.canvas.width = clientWidth;
    this.canvas.height = clientHeight;
    this.context = this.canvas.getContext('2d', { alpha: false });
    this.context.fillStyle = '#' + background.toString(16).padStart(6, '0');
    this.context.fillRect(0, 0, clientWidth, clientHeight);
    fitCanvas();
  },

  addMenu(title) {
    const menu = document.createElement('div');
    menu.className = 'menu';
    const button = document.createElement('button');
    button.type = 'button';
    button.className = 'menu-title';
    button.textContent = title;
    const items = document.createElement('div');
    items.className = 'menu-items';
    items.setAttribute('role', 'menu');
    menu.append(button, items);
    button.addEventListener('click', () => openMenu(menu.classList.contains('open') ? null : menu));
    // With a menu open, pointing at another title opens that one.
    button.addEventListener('pointerenter', () => {
      if (document.querySelector('.menu.open')) openMenu(menu);
    });
    document.getElementById('menubar').append(menu);
  },

  addMenuItem(title, commandId) {
    const item = document.createElement('button');
    item.type = 'button';
    item.className = 'menu-item';
    item.setAttribute('role', 'menuitem');
    item.textContent = title;
    item.addEventListener('click', () => {
      openMenu(null);
      Module._webMenuCommand(commandId);
    });
    document.querySelector('#menubar .menu:last-child .menu-items').append(item);
  },

  show(shown) {
    this.canvas.classList.toggle('hidden', !shown);
  },

  present(rgba, width, height, x, y) {
    if (!this.image || this.image.width !== width || this.image.height !== height) {
      this.image = new ImageData(width, height);
    }
    this.image.data.set(rgba);
    this.context.putImageData(this.image, x, y);
    const figures = page.figures;
    if (figures.framesPresented++ === 0) figures.firstFrameAt = performance.now();
  },

  alert(text, caption) {
    window.alert(caption + ': ' + text);
  },

  // The Open dialog: false when the browser will not show the chooser
  // (it does so only shortly after a click or key of the user's).
  openChooser(title, accept) {
    if (navigator.userActivation && !navigator.userActivation.isActive) return false;
    const chooser = document.getElementById('program-chooser');
    chooser.title = title;
    chooser.accept = accept;
    chooser.value = '';  // the same file chosen again is a choice too
    chooser.click();
    return true;
  },
};

function openMenu(menu) {
  for (const other of document.querySelectorAll('.menu.open')) {
    if (other !== menu) other.classList.remove('open');
  }
  if (menu) menu.classList.add('open');
}

document.addEventListener('pointerdown', (event) => {
  if (!event.target.closest('.menu')) openMenu(null);
});

// The largest whole factor of device pixels that fits, and a place on whole
// device pixels, so that every pixel of the machine is the same sharp block.
function fitCanvas() {
  if (!pageWindow.clientWidth) return;
  const area = document.getElementById('screen-area').getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  const factor = Math.max(1, Math.floor(Math.min(area.width * ratio / pageWindow.clientWidth,
                                                 area.height * ratio / pageWindow.clientHeight)));
  const width = pageWindow.clientWidth * factor / ratio;
  const height = pageWindow.clientHeight * factor / ratio;
  const onDevicePixel = (offset, size, room) => Math.round((offset + (room - size) / 2) * ratio) / ratio - offset;
  const style = pageWindow.canvas.style;
  style.width = width + 'px';
  style.height = height + 'px';
  style.left = Math.max(0, onDevicePixel(area.left, width, area.width)) + 'px';
  style.top = Math.max(0, onDevicePixel(area.top, height, area.height)) + 'px';
  pageWindow.scale = factor;
}

new ResizeObserver(fitCanvas).observe(document.getElementById('screen-area'));
// A zoom changes the device pixels' size, not always the area's.
window.addEventListener('resize', fitCanvas);
