// The teacher's page: builds its controls from the module's description, passes the controls on
// to the module as an address fragment (the option names of pelkano-sheets) and shows the pages
// the module draws. Every rule is the module's; nothing here decides what a sheet holds.
"use strict";
(async () => {
  const $ = (id) => document.getElementById(id);
  const module = await createPelkano();
  performance.mark("pelkano-module");
  const call = (name, types, args) => module.ccall(name, "string", types, args);
  const info = JSON.parse(call("pk_info", [], []));
  const read = (fragment) => JSON.parse(call("pk_read", ["string"], [fragment]));

  // What the page shows now: the fragment of its controls (with the seed of the set shown) and
  // the set the module made from it.
  const state = { fragment: "", made: null, pageTexts: [] };
  window.pelkano = state;

  // ---- Controls built from the module's description ----
  const tabs = $("tabs");
  const typePages = $("type-pages");
  const boxes = new Map();
  const describe = (type) => { $("type-description").textContent = `型${type}：${info.types[type - 1][1]}`; };
  info.pages.forEach((page, index) => {
    const tab = document.createElement("button");
    tab.type = "button";
    tab.role = "tab";
    tab.id = `tab-${index + 1}`;
    tab.textContent = page.title;
    tab.setAttribute("aria-controls", `page-${index + 1}`);
    tabs.append(tab);
    const panel = document.createElement("div");
    panel.className = "type-page";
    panel.id = `page-${index + 1}`;
    panel.role = "tabpanel";
    panel.setAttribute("aria-labelledby", tab.id);
    const img = document.createElement("img");
    img.src = PELKANO_PICTURES[index];
    img.alt = `${page.title}の型の筆算の形`;
    img.style.left = `${page.picture[0]}px`;
    img.style.top = `${page.picture[1]}px`;
    panel.append(img);
    for (const [type, left, top] of page.boxes) {
      const label = document.createElement("label");
      label.className = "type-box";
      label.style.left = `${left}px`;
      label.style.top = `${top}px`;
      label.title = info.types[type - 1][1];
      const box = document.createElement("input");
      box.type = "checkbox";
      box.id = `type-${type}`;
      box.setAttribute("aria-label", `型${type}　${info.types[type - 1][1]}`);
      box.addEventListener("change", () => {
        setFragment(call("pk_tick", ["string", "number", "number"], [controlsFragment(), type, box.checked ? 1 : 0]), true);
      });
      box.addEventListener("focus", () => describe(type));
      label.addEventListener("mouseenter", () => describe(type));
      label.append(box, String(type).padStart(2, " "));
      panel.append(label);
      boxes.set(type, box);
    }
    typePages.append(panel);
  });
  const selectTab = (index, focus) => {
    [...tabs.children].forEach((tab, i) => {
      tab.setAttribute("aria-selected", String(i === index));
      tab.tabIndex = i === index ? 0 : -1;
      typePages.children[i].hidden = i !== index;
    });
    if (focus) tabs.children[index].focus();
  };
  tabs.addEventListener("click", (e) => {
    const i = [...tabs.children].indexOf(e.target);
    if (i >= 0) selectTab(i, false);
  });
  tabs.addEventListener("keydown", (e) => {
    const current = [...tabs.children].findIndex((t) => t.getAttribute("aria-selected") === "true");
    const count = tabs.children.length;
    const next = { ArrowRight: current + 1, ArrowLeft: current - 1 + count, Home: 0, End: count - 1 }[e.key];
    if (next !== undefined) {
      e.preventDefault();
      selectTab(next % count, true);
    }
  });
  selectTab(0, false);
  performance.mark("pelkano-controls");

  for (const [name, caption] of info.layouts) {
    const label = document.createElement("label");
    const radio = document.createElement("input");
    radio.type = "radio";
    radio.name = "layout";
    radio.value = name;
    label.append(radio, caption);
    $("layout").append(label);
  }
  for (const name of info.papers) $("pageSize").append(new Option(name, name));
  const limit = (id, [low, high]) => { $(id).min = low; $(id).max = high; };
  limit("margin", info.ranges.margin);
  limit("lineWidth", info.ranges.lineWidth);
  limit("sheets", info.ranges.sheets);

  // ---- The fragment of the controls, and the controls of a fragment ----
  const radio = (name) => document.querySelector(`input[name=${name}]:checked`)?.value ?? "";
  const setRadio = (name, value) => {
    for (const r of document.querySelectorAll(`input[name=${name}]`)) r.checked = r.value === value;
  };
  let shownRequest = read("");
  function controlsFragment() {
    const p = new URLSearchParams();
    p.set("types", shownRequest.types.join(","));
    p.set("layout", radio("layout"));
    if (shownRequest.seed !== null) p.set("seed", shownRequest.seed);
    p.set("print-number", $("printNumber").value);
    p.set("sheets", $("sheets").value);
    p.set("answers", $("answers").value);
    p.set("style", radio("style"));
    p.set("frame", radio("frame"));
    p.set("tentative", $("tentative").checked ? "1" : "0");
    p.set("margin", $("margin").value);
    p.set("line-width", $("lineWidth").value);
    p.set("sentence", $("sentence").value);
    p.set("page-size", $("pageSize").value);
    p.set("paper-margin", String(shownRequest.paperMargin));
    return p.toString();
  }
  function showRequest(r) {
    shownRequest = r;
    for (const [type, box] of boxes) box.checked = r.types.includes(type);
    setRadio("layout", r.layout);
    setRadio("style", r.style);
    setRadio("frame", r.frame ? "1" : "0");
    $("tentative").checked = r.tentative;
    $("margin").value = r.margin;
    $("lineWidth").value = r.lineWidth;
    $("printNumber").value = r.printNumber;
    $("sheets").value = r.sheets;
    $("answers").value = r.answers;
    $("sentence").value = r.sentence;
    $("pageSize").value = r.pageSize;
    $("btnClear").disabled = !r.canMake;
    $("btnPreview").disabled = !r.canMake;
  }

  // Reads a fragment into the controls, makes its set when it can and puts it in the address.
  function setFragment(fragment, make, keepPrevious = false) {
    const r = read(fragment);
    showRequest(r);
    const notes = [...r.notes];
    state.made = null;
    state.pageTexts = [];
    $("btnPrint").disabled = true;
    if (make && r.canMake) {
      const made = JSON.parse(call("pk_make", ["string"], [r.fragment]));
      state.made = made;
      shownRequest.seed = made.seed;
      state.fragment = made.fragment;
      $("preview").innerHTML = call("pk_preview", [], []);
      $("seed").value = made.seed;
      const last = made.sheets[made.sheets.length - 1].printNumber;
      $("set-summary").textContent = made.sheets.length > 1
        ? `（${made.sheets.length}枚：プリント番号 ${made.sheets[0].printNumber}〜${last}、全${made.pages}ページ）`
        : `（全${made.pages}ページ）`;
      if (made.warning) notes.push(made.warning);
      $("btnPrint").disabled = false;
      document.getElementById("paper-style").textContent =
        `@page { size: ${made.paper[1]}mm ${made.paper[2]}mm; margin: 0; }`;
    } else {
      state.fragment = r.fragment;
      $("preview").replaceChildren();
      $("seed").value = "";
      $("set-summary").textContent = "";
    }
    $("messages").textContent = notes.join("\n");
    // After printing, the printed set stays one step back in the browser's history.
    if (keepPrevious) history.pushState(null, "", `#${state.fragment}`);
    else history.replaceState(null, "", `#${state.fragment}`);
  }

  // Every control makes the set again with the same seed; プレビュー makes a new one.
  for (const id of ["tentative", "sentence", "margin", "lineWidth", "printNumber", "sheets", "answers", "pageSize"])
    $(id).addEventListener("change", () => setFragment(controlsFragment(), true));
  for (const name of ["layout", "style", "frame"])
    for (const r of document.querySelectorAll(`input[name=${name}]`))
      r.addEventListener("change", () => setFragment(controlsFragment(), true));
  $("btnPreview").addEventListener("click", () => {
    shownRequest.seed = null;
    setFragment(controlsFragment(), true);
  });
  $("btnClear").addEventListener("click", () => {
    shownRequest.types = [];
    shownRequest.seed = null;
    setFragment(controlsFragment(), false);
  });

  // ---- Printing: every page of the set as vector SVG, one paper each ----
  async function preparePrint() {
    const made = state.made;
    const area = $("print-area");
    const progress = $("progress");
    area.replaceChildren();
    state.pageTexts = [];
    progress.max = made.pages;
    progress.value = 0;
    progress.hidden = made.pages < 20;
    // Ten pages at a time, so a large set shows its progress and the page stays responsive.
    for (let i = 0; i < made.pages; i += 10) {
      let html = "";
      for (let k = i; k < Math.min(i + 10, made.pages); ++k) {
        const svg = call("pk_page", ["number"], [k]);
        state.pageTexts.push(svg);
        html += svg;
      }
      area.insertAdjacentHTML("beforeend", html);
      progress.value = Math.min(i + 10, made.pages);
      await new Promise((resolve) => setTimeout(resolve, 0));
    }
    await document.fonts.ready;
    progress.hidden = true;
  }
  state.preparePrint = preparePrint;
  $("btnPrint").addEventListener("click", async () => {
    if (!state.made) return;
    $("btnPrint").disabled = true;
    await preparePrint();
    $("btnPrint").disabled = false;
    window.print();
  });
  // As the window does after printing: the print number goes on past the set, and the next
  // set has new problems.
  window.addEventListener("afterprint", () => {
    if (!state.made || state.pageTexts.length === 0) return;
    setFragment(call("pk_printed", ["string"], [state.fragment]), true, true);
  });

  $("btnLicence").addEventListener("click", () => $("licence").showModal());
  window.addEventListener("hashchange", () => {
    if (location.hash.slice(1) !== state.fragment) setFragment(location.hash.slice(1), true);
  });

  $("loading").hidden = true;
  $("main").hidden = false;
  setFragment(location.hash.slice(1), true);
  // When the first preview was drawn (the frame after it was put in), in milliseconds from the
  // start of the page's loading.
  await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  state.firstPreviewAt = performance.now();
  state.setFragment = setFragment;
  state.ready = true;
  document.dispatchEvent(new Event("pelkano-ready"));
})().catch((error) => {
  document.getElementById("loading").textContent = `このブラウザーでは動かせませんでした（${error}）`;
});
