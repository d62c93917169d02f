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
  // A unit ticks its types, as the command line's --unit does; each shows the types it ticks.
  info.units.forEach(([name, types], index) => {
    const option = new Option(name, String(index));
    option.title = `型 ${types.join(", ")}`;
    $("unit").append(option);
  });
  const limit = (id, [low, high]) => { $(id).min = low; $(id).max = high; };
  limit("margin", info.ranges.margin);
  limit("lineWidth", info.ranges.lineWidth);
  limit("sheets", info.ranges.sheets);

  // ---- The settings kept in the browser's storage: the fragment without its seed or practice ----
  const kSettingsKey = "pelkano.settings";
  function keepSettings(fragment) {
    const p = new URLSearchParams(fragment);
    p.delete("seed");
    p.delete("practice");
    try { localStorage.setItem(kSettingsKey, p.toString()); } catch { /* storage unavailable: nothing kept */ }
  }
  function keptSettings() {
    try { return localStorage.getItem(kSettingsKey) ?? ""; } catch { return ""; }
  }

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
    // A sheet made from its code stays that sheet of its set while its seed is kept.
    const before = shownRequest.seed !== null && shownRequest.drawsAsBefore;
    p.set("same-mix", $("sameMix").checked ? (before ? "before" : "1") : "0");
    if (shownRequest.seed !== null && shownRequest.firstSheet) p.set("first-sheet", String(shownRequest.firstSheet));
    p.set("balanced", $("balanced").checked ? "1" : "0");
    p.set("order", $("easyOrder").checked ? "easy" : "random");
    p.set("numbers", $("numbers").value);
    p.set("header-fields", $("headerFields").checked ? "1" : "0");
    p.set("check", $("check").checked ? "1" : "0");
    p.set("answer-list", $("answerList").checked ? "1" : "0");
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
    // A tab whose page has a ticked type says so, in the window's way.
    info.pages.forEach((page, i) => {
      const ticked = page.boxes.some(([type]) => r.types.includes(type));
      tabs.children[i].classList.toggle("has-ticked", ticked);
      tabs.children[i].title = ticked ? "チェックした型があります" : "";
    });
    setRadio("layout", r.layout);
    setRadio("style", r.style);
    setRadio("frame", r.frame ? "1" : "0");
    $("tentative").checked = r.tentative;
    $("sameMix").checked = r.sameMix;
    $("balanced").checked = r.balanced;
    $("easyOrder").checked = r.order === "easy";
    $("numbers").value = r.numbers;
    $("headerFields").checked = r.headerFields;
    $("check").checked = r.check;
    $("answerList").checked = r.answerList;
    $("margin").value = r.margin;
    $("lineWidth").value = r.lineWidth;
    $("printNumber").value = r.printNumber;
    $("sheets").value = r.sheets;
    $("answers").value = r.answers;
    $("sentence").value = r.sentence;
    $("pageSize").value = r.pageSize;
    $("btnClear").disabled = !r.canMake;
    $("btnPreview").disabled = !r.canMake;
    $("btnPractice").disabled = !r.canMake;
  }

  // The paper the next print goes on: [name, width mm, height mm], as the module gives it.
  function setPaper(paper) {
    document.getElementById("paper-style").textContent = `@page { size: ${paper[1]}mm ${paper[2]}mm; margin: 0; }`;
  }

  // Reads a fragment into the controls, makes its set when it can and puts it in the address.
  function setFragment(fragment, make, keepPrevious = false) {
    const r = read(fragment);
    const practiceError = r.practice ? startPractice(r, keepPrevious) : "";
    if (r.practice && !practiceError) return;
    showMode(false);
    showRequest(r);
    const notes = [...r.notes];
    if (practiceError) notes.push(practiceError);
    state.made = null;
    clearPrintArea();
    $("btnPrint").disabled = true;
    $("btnNextPrint").hidden = true;
    if (make && r.canMake) {
      const made = JSON.parse(call("pk_make", ["string"], [r.fragment]));
      state.made = made;
      shownRequest.seed = made.seed;
      state.fragment = made.fragment;
      $("preview").innerHTML = call("pk_preview", [], []);
      state.shownPage = -1;  // -1: the first sheet with its answers, as the window's preview
      $("paging").hidden = made.pages < 2;
      $("pageOf").textContent = "";
      $("seed").value = made.seed;
      const last = made.sheets[made.sheets.length - 1].printNumber;
      $("set-summary").textContent = made.sheets.length > 1
        ? `（${made.sheets.length}枚：プリント番号 ${made.sheets[0].printNumber}〜${last}、全${made.pages}ページ）`
        : `（全${made.pages}ページ）`;
      if (made.warning) notes.push(made.warning);
      $("btnPrint").disabled = false;
      setPaper(made.paper);
      preparePrint(false);  // in the background, for the browser's own print
    } else {
      state.fragment = r.fragment;
      $("preview").replaceChildren();
      $("paging").hidden = true;
      $("seed").value = "";
      $("set-summary").textContent = "";
    }
    $("messages").textContent = notes.join("\n");
    // After printing, the printed set stays one step back in the browser's history.
    if (keepPrevious) history.pushState(null, "", `#${state.fragment}`);
    else history.replaceState(null, "", `#${state.fragment}`);
    keepSettings(state.fragment);
  }

  // Every control makes the set again with the same seed; プレビュー makes a new one.
  for (const id of ["sameMix", "balanced", "easyOrder", "numbers", "headerFields", "check", "answerList"])
    $(id).addEventListener("change", () => setFragment(controlsFragment(), true));
  for (const id of ["tentative", "sentence", "margin", "lineWidth", "printNumber", "sheets", "answers", "pageSize"])
    $(id).addEventListener("change", () => setFragment(controlsFragment(), true));
  for (const name of ["layout", "style", "frame"])
    for (const r of document.querySelectorAll(`input[name=${name}]`))
      r.addEventListener("change", () => setFragment(controlsFragment(), true));
  // Paging through every page of the set before printing, as it will print.
  const showPage = (k) => {
    if (!state.made) return;
    state.shownPage = Math.max(0, Math.min(state.made.pages - 1, k));
    $("preview").innerHTML = call("pk_page", ["number"], [state.shownPage]);
    $("pageOf").textContent = `${state.shownPage + 1} / ${state.made.pages}ページ`;
  };
  $("btnPrevPage").addEventListener("click", () => showPage(state.shownPage - 1));
  $("btnNextPage").addEventListener("click", () => showPage(state.shownPage + 1));
  $("btnCode").addEventListener("click", () => {
    const made = JSON.parse(call("pk_from_code", ["string", "string"], [controlsFragment(), $("code").value]));
    if (made.error) {
      $("messages").textContent = made.error;
      return;
    }
    setFragment(made.fragment, true);
  });
  $("unit").addEventListener("change", () => {
    const unit = info.units[Number($("unit").value)];
    $("unit").value = "";
    if (!unit) return;
    shownRequest.types = [...unit[1]];
    shownRequest.seed = null;
    setFragment(controlsFragment(), true);
  });
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
  // The print area holds the pages of the set shown, whichever way the browser prints: filled in
  // the background after each set, and at once for a print that comes before that is done
  // (Ctrl+P, the browser's menu).
  function clearPrintArea() {
    $("print-area").replaceChildren();
    state.pageTexts = [];
    state.filledFor = null;
  }
  // Adds the next pages of the set shown to the print area, at most `count`; false when it holds
  // them all (or no set is shown).
  function addPages(count) {
    const made = state.made;
    if (!made) return false;
    if (state.filledFor !== made) {
      clearPrintArea();
      state.filledFor = made;
    }
    const end = Math.min(state.pageTexts.length + count, made.pages);
    let html = "";
    for (let k = state.pageTexts.length; k < end; ++k) {
      const svg = call("pk_page", ["number"], [k]);
      state.pageTexts.push(svg);
      html += svg;
    }
    $("print-area").insertAdjacentHTML("beforeend", html);
    return state.pageTexts.length < made.pages;
  }
  // Ten pages at a time, so a large set shows its progress (when `shown`) and the page stays
  // responsive; a set made meanwhile takes over.
  async function preparePrint(shown = true) {
    const made = state.made;
    if (!made) return;
    const progress = $("progress");
    progress.max = made.pages;
    progress.hidden = !shown || made.pages < 20;
    while (state.made === made && addPages(10)) {
      progress.value = state.pageTexts.length;
      await new Promise((resolve) => setTimeout(resolve, 0));
    }
    await document.fonts.ready;
    if (shown) progress.hidden = true;
  }
  state.preparePrint = preparePrint;
  window.addEventListener("beforeprint", () => {
    if (state.printingResults) return;
    while (addPages(100)) { /* every page, before the browser lays them out */ }
  });
  $("btnPrint").addEventListener("click", async () => {
    if (!state.made) return;
    $("btnPrint").disabled = true;
    await preparePrint();
    $("btnPrint").disabled = false;
    window.print();
  });
  // A browser does not tell a print from a cancelled one: after its print screen the set stays
  // as it is, and the teacher goes on to the next set (new problems, the print numbers after
  // this set's, as the window does after printing) with つぎのプリントへ.
  window.addEventListener("afterprint", () => {
    if (state.printingResults) {
      state.printingResults = false;
      clearPrintArea();
      return;
    }
    if (!state.made) return;
    $("btnNextPrint").hidden = false;
    $("messages").textContent = "印刷したら「つぎのプリントへ」を押すと、新しい問題で、プリント番号はこのセットの次からになります。";
  });
  $("btnNextPrint").addEventListener("click", () => {
    if (state.made) setFragment(call("pk_printed", ["string"], [state.fragment]), true, true);
  });

  // ---- The practice: the module's model, drawn by the module; the page passes on keys and taps ----
  const practice = { state: null, savedResults: 0, notes: [] };
  state.practice = practice;
  const now = () => Date.now();
  const levelStore = "pelkano.practice.level";
  const keptLevel = () => {
    try { return localStorage.getItem(levelStore) ?? ""; } catch { return ""; }
  };
  const keepLevel = (level) => {
    try { localStorage.setItem(levelStore, level); } catch { /* a browser that keeps nothing */ }
  };
  // The bytes of a text answer as the module made them.
  for (const b of $("practiceLevels").querySelectorAll("button[data-level]"))
    b.textContent = info.levels.find(([key]) => key === b.dataset.level)[1];
  const bytesOf = (pointer) => module.HEAPU8.slice(pointer, pointer + module.ccall("pk_reply_size", "number", [], []));

  function showMode(practising) {
    $("main").hidden = practising;
    $("practice").hidden = !practising;
    document.body.classList.toggle("practising", practising);
  }

  function drawBoard() {
    const board = $("board");
    if ($("practice").hidden || $("practiceWork").hidden) return;
    board.innerHTML = call("pk_practice_board", ["number", "number"], [board.clientWidth, board.clientHeight]);
  }

  function showPractice(s) {
    practice.state = s;
    if (!s.running) return;
    $("practiceHeading").textContent = s.summary ? "練習の結果" : s.heading;
    for (const b of $("practiceLevels").querySelectorAll("button[data-level]"))
      b.setAttribute("aria-checked", String(b.dataset.level === s.level));
    $("practiceNotes").textContent = practice.notes.join("\n");
    $("practiceWork").hidden = s.summary;
    $("practiceSummary").hidden = !s.summary;
    if (!s.summary) {
      $("practiceStatus").textContent = s.message;
      $("btnNext").disabled = !s.finished;
      $("btnHint").disabled = s.finished;
      drawBoard();
      return;
    }
    $("practiceTotals").textContent = s.totals;
    const head = $("practiceResults").tHead.rows[0];
    head.replaceChildren(...s.headings.map((h) => Object.assign(document.createElement("th"), { textContent: h, scope: "col" })));
    const body = $("practiceResults").tBodies[0];
    body.replaceChildren(...s.rows.map((cells) => {
      const row = document.createElement("tr");
      row.append(...cells.map((c) => Object.assign(document.createElement("td"), { textContent: c })));
      return row;
    }));
    $("practiceStumbles").textContent = s.stumbles;
    $("btnRetryMissed").disabled = !s.canRetry;
    $("btnWeakSheet").disabled = !s.canWeak;
    $("practiceSaved").textContent = "";
    body.lastElementChild?.scrollIntoView({ block: "nearest" });
    ($("btnRetryMissed").disabled ? $("btnAgain") : $("btnRetryMissed")).focus();
  }

  // Opens the practice a fragment asks for; when it cannot be worked, says why (and the teacher's
  // page shows it).
  function startPractice(r, keepPrevious) {
    const started = JSON.parse(call("pk_practice_start", ["string", "string", "number"], [r.fragment, keptLevel(), now()]));
    if (started.error) return started.error;
    state.made = null;
    state.fragment = started.fragment;
    if (!started.resumed) practice.savedResults = 0;
    practice.notes = r.notes;
    $("practiceName").value = started.state.name;
    showMode(true);
    showPractice(started.state);
    if (keepPrevious) history.pushState(null, "", `#${state.fragment}`);
    else history.replaceState(null, "", `#${state.fragment}`);
    return "";
  }
  // The run of these problems ("8765/43/27,612/6"), as a link's problems would be worked.
  state.practiseProblems = (problems) => {
    const s = JSON.parse(call("pk_practice_problems", ["string", "string", "number"], [problems, keptLevel(), now()]));
    if (s.error) return s;
    practice.savedResults = 0;
    $("practiceName").value = "";
    showMode(true);
    showPractice(s);
    return s;
  };

  const practiceCall = (name, types = [], args = []) => showPractice(JSON.parse(call(name, types, args)));
  const pressKey = (key, fromPad = false) => {
    const s = JSON.parse(call("pk_practice_key", ["string", "number", "number"], [key, now(), fromPad ? 1 : 0]));
    if (s.handled) showPractice(s);
    return s.handled;
  };
  document.addEventListener("keydown", (e) => {
    if ($("practice").hidden || e.ctrlKey || e.metaKey || e.altKey || e.isComposing) return;
    if (document.querySelector("dialog[open]")) return;
    if (e.target instanceof HTMLInputElement) {
      // Enter ends the name; the keys then go to the figure again.
      if (e.key === "Enter") {
        e.preventDefault();
        e.target.blur();
      }
      return;
    }
    // Enter and the space bar press a focused button outside the pad (a level, プリントを作る).
    const button = e.target.closest?.("button");
    if (button && !button.closest("#pad") && (e.key === "Enter" || e.key === " ")) return;
    if (pressKey(e.key)) e.preventDefault();
  });
  $("pad").addEventListener("mousedown", (e) => e.preventDefault());  // the keys stay with the figure
  $("pad").addEventListener("click", (e) => {
    const key = e.target.closest("button[data-key]");
    if (key && !key.disabled) pressKey(key.dataset.key, true);
  });
  $("board").addEventListener("pointerdown", (e) => {
    const svg = $("board").querySelector("svg");
    if (!svg) return;
    e.preventDefault();
    const box = svg.getBoundingClientRect();
    practiceCall("pk_practice_tap", ["number", "number", "number", "number"],
                 [e.clientX - box.left, e.clientY - box.top, box.width, box.height]);
  });
  new ResizeObserver(() => drawBoard()).observe($("board"));
  $("practiceName").addEventListener("input", () => practiceCall("pk_practice_name", ["string"], [$("practiceName").value]));
  $("practiceLevels").addEventListener("click", (e) => {
    const b = e.target.closest("button[data-level]");
    if (!b) return;
    const s = JSON.parse(call("pk_practice_level", ["string"], [b.dataset.level]));
    keepLevel(s.level);
    b.blur();  // Enter checks the row again, as in the window
    showPractice(s);
  });
  const unsaved = () => practice.state?.running && practice.state.results > practice.savedResults;
  window.addEventListener("beforeunload", (e) => {
    if (!$("practice").hidden && unsaved()) e.preventDefault();
  });
  $("btnPractice").addEventListener("click", () =>
    setFragment(call("pk_mode", ["string", "number"], [controlsFragment(), 1]), true, true));
  $("btnSheets").addEventListener("click", () => {
    if (unsaved() && !confirm("練習の結果をまだ保存していません。結果を残さずにプリントを作る画面へもどりますか？")) return;
    setFragment(call("pk_mode", ["string", "number"], [state.fragment, 0]), true, true);
  });
  $("btnAgain").addEventListener("click", () => {
    const again = JSON.parse(call("pk_practice_again", ["string", "number"], [state.fragment, now()]));
    if (again.error) {
      $("practiceSaved").textContent = again.error;
      return;
    }
    state.fragment = again.fragment;
    history.replaceState(null, "", `#${state.fragment}`);
    showPractice(again.state);
  });
  $("btnRetryMissed").addEventListener("click", () => practiceCall("pk_practice_retry", ["number"], [now()]));
  $("btnWeakSheet").addEventListener("click", () => {
    setFragment(call("pk_practice_weak", ["string"], [state.fragment]), true, true);
    const first = shownRequest.types[0];
    const panel = boxes.get(first)?.closest(".type-page");
    if (panel) selectTab([...typePages.children].indexOf(panel), false);
  });
  $("btnSaveCsv").addEventListener("click", () => {
    const offset = new Date().getTimezoneOffset();
    const name = call("pk_practice_csv_name", ["number", "number"], [now(), offset]);
    const bytes = bytesOf(module.ccall("pk_practice_csv", "number", ["number"], [offset]));
    const url = URL.createObjectURL(new Blob([bytes], { type: "text/csv;charset=utf-8" }));
    const link = Object.assign(document.createElement("a"), { href: url, download: name });
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
    practice.savedResults = practice.state.results;
    $("practiceSaved").textContent = `「${name}」のダウンロードをブラウザーにわたしました。`;
  });
  $("btnPrintResults").addEventListener("click", async () => {
    const page = JSON.parse(call("pk_practice_results", ["string", "number"], [state.fragment, new Date().getTimezoneOffset()]));
    clearPrintArea();
    $("print-area").innerHTML = page.svg;
    setPaper(page.paper);
    await document.fonts.ready;
    state.printingResults = true;
    practice.savedResults = practice.state.results;
    window.print();
  });

  $("btnLicence").addEventListener("click", () => $("licence").showModal());
  window.addEventListener("hashchange", () => {
    if (location.hash.slice(1) !== state.fragment) setFragment(location.hash.slice(1), true);
  });

  $("loading").hidden = true;
  // An address without a fragment opens with the settings kept from the last visit.
  setFragment(location.hash.slice(1) || keptSettings(), true);
  // When the first preview (or a practice link's figure) was drawn, the frame after it was put
  // in, in milliseconds from the start of the page's loading.
  await new Promise((resolve) => requestAnimationFrame(() => setTimeout(resolve, 0)));
  state.firstPreviewAt = performance.now();
  state.setFragment = setFragment;
  state.ready = true;
  document.dispatchEvent(new Event("pelkano-ready"));
})().catch((error) => {
  document.getElementById("loading").textContent = `このブラウザーでは動かせませんでした（${error}）`;
});
