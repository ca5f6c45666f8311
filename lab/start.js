// start.js: the lab page's start. Loads the module, reads the link, runs it, and listens to
// every control (start). What is on screen, the command shown and the address always say the
// same: with a bad value there is no run, and the value is named beside its field. The page's
// scripts (fields, link, running, drawing, view, stepping, seeds_panel, cities_panel, then this
// one) run as one function, in that order; the model and the tools' text are nuv.js's (Nuv),
// the cities' text cities.js's (Cities). Start at start.

let model = null; // nuv.js's model of the module, once loaded

// Loads the module, reads the link, runs it, and listens to every control.
async function start() {
  // The module is in the page gzipped (embed.cmake): the browser unpacks it.
  const packed = Uint8Array.from(atob(NUV_WASM_GZIP_BASE64), (ch) => ch.charCodeAt(0));
  const bytes = new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'));
  model = await Nuv.load(await new Response(bytes).arrayBuffer());
  takeDefaults();
  readFragment();
  rerun();
  for (const name of ['A', 'B', 'D']) {
    $(name).addEventListener('input', rerun);
    $(name + '-range').addEventListener('input', () => {
      $(name).value = $(name + '-range').value;
      rerun();
    });
  }
  for (const name of ['seed', ...NETWORK_FIELDS])
    $(name).addEventListener('input', () => {
      if (name in badMenu)
        delete badMenu[name], ($(name + '-msg').textContent = ''),
            $(name).setAttribute('aria-invalid', 'false');
      rerun();
    });
  $('cities').addEventListener('change', chooseCities);
  for (const id of ['cities-n', 'cities-s']) $(id).addEventListener('input', chooseCities);
  $('cities-file').addEventListener('change', openFile);
  $('cities-file').addEventListener('cancel', showCities);
  $('new-seed').addEventListener('click', () => {
    $('seed').value = String(Math.floor(Math.random() * 4294967296));
    rerun();
  });
  $('cycle').addEventListener('input', () => {
    stop();
    stopStepping();
    $('cycle-msg').textContent = '';
    show(Number($('cycle').value));
  });
  $('back').addEventListener('click', () => {
    stop();
    stopStepping();
    show(shown - 1);
  });
  $('forward').addEventListener('click', () => {
    stop();
    stopStepping();
    show(shown + 1);
  });
  $('play').addEventListener('click', play);
  $('speed').addEventListener('change', () => {
    if (timer !== null) (stop(), play());
  });
  $('step').addEventListener('click', step);
  $('step-end').addEventListener('click', () => {
    stopStepping();
    show(shown);
  });
  $('pin').addEventListener('click', () => {
    pinned = {run: current.run, command: current.command};
    $('unpin').disabled = false;
    show(shown);
  });
  $('unpin').addEventListener('click', () => {
    pinned = null;
    $('unpin').disabled = true;
    show(shown);
  });
  $('run-seeds').addEventListener('click', runSeeds);
  $('seeds').addEventListener('input', () => {
    clearSeeds();
    seedRange();
    writeFragment();
  });
  for (const id of ['vary', 'vary-values', 'compare'])
    $(id).addEventListener('input', () => {
      clearSeeds();
      varied(), compared();
      writeFragment();
    });
  dragging();
  pointing();
  // Copying says whether it worked, beside the button, for two seconds.
  $('copy').addEventListener('click', () => {
    const said = (text) => {
      $('copied').textContent = text;
      setTimeout(() => { $('copied').textContent = ''; }, 2000);
    };
    if (!navigator.clipboard) return said('copying is not allowed here: select the command');
    navigator.clipboard.writeText($('command').textContent)
        .then(() => said('copied'), () => said('copying is not allowed here: select the command'));
  });
  window.addEventListener('hashchange', () => {
    readFragment();
    current = null;
    rerun();
  });
}
start();
