// The browser console of vxconfig. Everything it knows it asks `vxcfg --json`, run through the
// web console's own channel (cockpit.spawn) with an argument vector, never a shell; a secret
// typed here reaches vxcfg on its standard input; every value vxcfg returns is shown as text.
// Whatever changes the machine is first run with --check --diff and applied only on request.
"use strict";

(function () {
    const settings = Object.assign({ program: "vxcfg", environ: [] }, window.VXCONSOLE || {});
    const ROOT_KEY = "vxconsole:root";
    // The first line of vxcfg's JSON document; what came before it is the command's own output.
    const DOCUMENT_START = '{"check": ';
    const ADD_OPTIONS_SKIPPED = new Set(["--data"]);
    // The actions of an instance that change the machine: what vxcfg is given, and whether the
    // action works on every instance at once.
    const ACTIONS = {
        create: { label: "Create", args: (name) => ["create", name] },
        webconf: { label: "Configure the web server", args: () => ["webconf"], all: true },
        createdb: { label: "Create the databases", args: () => ["createdb"], all: true },
        start: { label: "Start", args: (name) => ["start", name] },
        stop: { label: "Stop", args: (name) => ["stop", name] },
        delete: { label: "Delete", args: (name) => ["delete", name, "--yes"], confirm: true },
    };

    const state = {
        root: "/",
        admin: false,
        instances: [],
        selected: null,
        options: null, // the record options of add and set, from vxcfg
        mode: "", // of the form: "add" or "set"
        listed: 0, // the latest loading of the list; an older one that ends late is dropped
        shown: {}, // the selected instance's fields, as show gives them
        jobs: 0,
    };

    const $ = (id) => document.getElementById(id);

    // An element with attributes (data-* through dataset) and children; a string child is text.
    function el(tag, attrs, ...children) {
        const node = document.createElement(tag);
        for (const [key, value] of Object.entries(attrs || {})) {
            if (value === undefined || value === null || value === false)
                continue;
            if (key === "dataset")
                Object.assign(node.dataset, value);
            else if (key === "className")
                node.className = value;
            else
                node.setAttribute(key, value === true ? "" : String(value));
        }
        for (const child of children.flat()) {
            if (child !== undefined && child !== null)
                node.append(typeof child === "string" ? document.createTextNode(child) : child);
        }
        return node;
    }

    function show(node, text) {
        node.textContent = text || "";
        node.hidden = !text;
    }

    // Runs vxcfg with --root (unless the root is /) and --json before global and args.
    // Resolves, never rejects, with { doc, log, exit, problem }: doc is the JSON document (null
    // when none came), log the command's own lines, problem why vxcfg could not be run at all.
    // onLine gets each line of the command's output as it comes; input is written to its
    // standard input.
    function vxcfg(args, { global = [], input = "", onLine = null } = {}) {
        // vxcfg takes no --root for the machine's own installation.
        const rooted = state.root === "/" ? [] : ["--root", state.root];
        const argv = [settings.program, ...rooted, "--json", ...global, ...args];
        const proc = cockpit.spawn(argv, {
            superuser: state.admin ? "require" : "try",
            err: "out",
            environ: settings.environ,
        });
        let output = "";
        let shown = 0;
        proc.stream((chunk) => {
            output += chunk;
            for (let end; (end = output.indexOf("\n", shown)) >= 0; shown = end + 1) {
                const line = output.slice(shown, end);
                if (line.startsWith(DOCUMENT_START))
                    onLine = null;
                if (onLine)
                    onLine(line);
            }
        });
        proc.input(input);
        const finish = (exit, problem) => Object.assign(splitOutput(output), { exit, problem });
        return proc.then(
            () => finish(0, null),
            (ex) => {
                const ran = ex.exit_status !== undefined && ex.exit_status !== null;
                return finish(ran ? ex.exit_status : null, ran ? null : cockpit.message(ex));
            });
    }

    // vxcfg's output taken apart: the JSON document it ends with (null when none came) and the
    // lines before it.
    function splitOutput(output) {
        let at = output.lastIndexOf("\n" + DOCUMENT_START);
        at = at >= 0 ? at + 1 : output.startsWith(DOCUMENT_START) ? 0 : -1;
        if (at >= 0) {
            try {
                return { doc: JSON.parse(output.slice(at)), log: output.slice(0, at).trimEnd() };
            } catch (e) {
                // Cut short: what came is shown as the command's output.
            }
        }
        return { doc: null, log: output.trimEnd() };
    }

    // Why a run failed, in vxcfg's words: its messages and the reasons of its failed steps.
    function reasonsOf(result) {
        if (result.problem)
            return [result.problem];
        const doc = result.doc;
        if (!doc)
            return [result.log || "vxcfg ended with exit code " + result.exit];
        const reasons = [...doc.msg];
        for (const instance of doc.instances || []) {
            for (const step of instance.steps) {
                if (step.failed)
                    reasons.push(step.action + " " + step.target + ": " + (step.reason || "failed"));
            }
        }
        if (!reasons.length && result.log)
            reasons.push(result.log.split("\n").pop());
        return reasons.length ? reasons : ["vxcfg ended with exit code " + result.exit];
    }

    function failed(result) {
        return !result.doc || result.doc.failed;
    }

    // A check run that ran no command cannot know how the commands would end: its failure after
    // them is no refusal.
    function checkRefused(result) {
        return failed(result) && !(result.doc && result.doc.check && !result.doc.outcome_known);
    }

    // ---- the list of instances ----

    function setAccess() {
        const access = $("access");
        access.dataset.admin = state.admin ? "yes" : "no";
        show(access, state.admin
            ? ""
            : "Administrative access is off, so the instances are shown read-only: changing " +
              "them needs root. Turn it on in the web console's top bar (\u201cLimited access\u201d).");
        for (const button of document.querySelectorAll("[data-action]:not([data-action=verify]), #add"))
            button.disabled = !state.admin;
    }

    function cell(className, text, value) {
        return el("td", { className, dataset: value === undefined ? undefined : { value } }, text);
    }

    function renderInstances() {
        const body = $("instances").tBodies[0];
        body.replaceChildren(...state.instances.map((instance) => {
            const row = el("tr", { dataset: { instance: instance.name }, tabindex: 0 },
                cell("name", instance.name),
                cell("ports", instance.first_port + "\u2013" + instance.last_port),
                cell("webserver", instance.web_server),
                cell("database", instance.database_type + " " + instance.database),
                cell("state", "\u2026", "unknown"),
                cell("sync", "\u2026", "unknown"));
            row.classList.toggle("selected", instance.name === state.selected);
            row.addEventListener("click", () => selectInstance(instance.name));
            row.addEventListener("keydown", (event) => {
                if (event.key === "Enter")
                    selectInstance(instance.name);
            });
            return row;
        }));
    }

    function rowCell(name, className) {
        const row = $("instances").querySelector('tr[data-instance="' + CSS.escape(name) + '"]');
        return row ? row.querySelector("td." + className) : null;
    }

    function setCell(name, className, text, value) {
        const td = rowCell(name, className);
        if (td) {
            td.textContent = text;
            td.dataset.value = value;
        }
    }

    async function loadStates() {
        const probes = state.instances.map(async (instance) => {
            const result = await vxcfg(["status", instance.name]);
            const data = result.doc && result.doc.data[0];
            setCell(instance.name, "state", data ? data.state : "cannot tell",
                    data ? data.state : "cannot tell");
            const td = rowCell(instance.name, "state");
            if (td && data && data.reason)
                td.title = data.reason;
        });
        const verify = vxcfg(["verify"]).then((result) => {
            const found = new Map(((result.doc && result.doc.data) || []).map((d) => [d.instance, d]));
            for (const instance of state.instances) {
                const drift = found.get(instance.name);
                const text = !drift ? "cannot tell" : drift.in_sync ? "in sync" : "drifted";
                setCell(instance.name, "sync", text, text);
            }
        });
        await Promise.all([...probes, verify]);
        // An instance never created has nothing installed to compare.
        for (const instance of state.instances) {
            const td = rowCell(instance.name, "state");
            if (td && td.dataset.value === "not created")
                setCell(instance.name, "sync", "\u2014", "not created");
        }
    }

    async function loadList() {
        const table = $("instances");
        const generation = ++state.listed;
        table.dataset.state = "loading";
        const result = await vxcfg(["list"]);
        if (generation !== state.listed)
            return;
        if (failed(result)) {
            state.instances = [];
            renderInstances();
            show($("instances-error"), reasonsOf(result).join("\n"));
            table.dataset.state = "failed";
            document.body.dataset.state = "ready";
            return;
        }
        show($("instances-error"), "");
        state.instances = result.doc.data;
        if (state.selected && !state.instances.some((i) => i.name === state.selected))
            closeDetail();
        renderInstances();
        await loadStates();
        if (generation !== state.listed)
            return;
        table.dataset.state = "ready";
        document.body.dataset.state = "ready";
    }

    // ---- one instance ----

    function closeDetail() {
        state.selected = null;
        $("detail").hidden = true;
        $("detail").dataset.state = "idle";
        $("detail").dataset.instance = "";
    }

    function hideSide() {
        for (const id of ["form", "plan", "verify"]) {
            $(id).hidden = true;
            $(id).dataset.state = "idle";
        }
    }

    async function selectInstance(name) {
        state.selected = name;
        hideSide();
        for (const row of $("instances").tBodies[0].rows)
            row.classList.toggle("selected", row.dataset.instance === name);
        const detail = $("detail");
        detail.hidden = false;
        detail.dataset.instance = name;
        $("detail-title").textContent = name;
        $("fields").replaceChildren();
        await loadDetail(name);
    }

    // The fields of instance name, shown in the detail panel that shows it.
    async function loadDetail(name) {
        const detail = $("detail");
        detail.dataset.state = "loading";
        const result = await vxcfg(["show", name]);
        if (state.selected !== name)
            return;
        if (failed(result)) {
            show($("detail-error"), reasonsOf(result).join("\n"));
            detail.dataset.state = "failed";
            return;
        }
        show($("detail-error"), "");
        state.shown = result.doc.data[0] || {};
        // A stored password or key comes as a marker only: "(set)", "(empty)", "(none)".
        $("fields").replaceChildren(...Object.entries(state.shown).flatMap(([key, value]) =>
            [el("dt", null, key), el("dd", null, String(value))]));
        detail.dataset.state = "ready";
    }

    // ---- the add and change form, made from vxcfg's own option table ----

    async function recordOptions() {
        if (!state.options) {
            // The help of a command is a document of its own, not a run's report.
            const result = await vxcfg(["add", "--help"]);
            let help;
            try {
                help = JSON.parse(result.log);
            } catch (e) {
                throw new Error(reasonsOf(result).join("\n"));
            }
            // A secret's "-file" companion reads a file on the machine: the form has the secret.
            state.options = help.options.filter((o) =>
                !ADD_OPTIONS_SKIPPED.has(o.name) && !(o.secret && o.name.endsWith("-file")));
        }
        return state.options;
    }

    function fieldValue(option) {
        if (state.mode !== "set" || !option.field || option.secret)
            return "";
        const value = state.shown[option.field];
        return value === undefined ? "" : String(value);
    }

    function inputFor(option) {
        const id = "opt" + option.name;
        const value = fieldValue(option);
        let input;
        if (option.choices.length) {
            input = el("select", { id, name: option.name },
                el("option", { value: "" }, state.mode === "set" ? "(unchanged)" : "(default)"),
                option.choices.map((c) => el("option", { value: c }, c)));
            const chosen = option.choices.find((c) => c.toLowerCase() === value.toLowerCase());
            input.value = chosen || "";
        } else {
            input = el("input", {
                id, name: option.name, type: option.secret ? "password" : "text",
                autocomplete: option.secret ? "new-password" : "off", spellcheck: "false",
                placeholder: option.secret && state.mode === "set" ? "(unchanged)" : null,
            });
            input.value = value;
        }
        input.dataset.initial = input.value;
        return el("div", { className: "form-field" },
            el("label", { for: id }, option.name.slice(2) + (option.arg ? " (" + option.arg + ")" : "")),
            input,
            el("small", { className: "rule" }, option.help),
            el("p", { className: "field-error", dataset: { for: option.name }, hidden: true }));
    }

    async function openForm(mode) {
        hideSide();
        const form = $("form");
        state.mode = mode;
        form.dataset.mode = mode;
        form.dataset.state = "loading";
        form.hidden = false;
        $("form-title").textContent = mode === "add" ? "Add an instance" : "Change " + state.selected;
        show($("form-error"), "");
        let options;
        try {
            options = await recordOptions();
        } catch (e) {
            show($("form-error"), e.message);
            form.dataset.state = "failed";
            return;
        }
        const name = el("input", { id: "opt-name", name: "name", type: "text", spellcheck: "false",
                                   readonly: mode === "set" });
        name.value = mode === "set" ? state.selected : "";
        $("form-inputs").replaceChildren(
            el("div", { className: "form-field" }, el("label", { for: "opt-name" }, "name"), name,
               el("p", { className: "field-error", dataset: { for: "name" }, hidden: true })),
            ...options.map(inputFor));
        form.dataset.state = "editing";
    }

    // The command line of the form and the secrets it passes on standard input, in order.
    function formCommand() {
        const args = [state.mode, $("opt-name").value];
        const secrets = [];
        for (const option of state.options) {
            const input = $("form-inputs").querySelector('[name="' + CSS.escape(option.name) + '"]');
            if (!input || input.value === input.dataset.initial)
                continue;
            if (option.secret) {
                args.push(option.name, "-");
                secrets.push(input.value);
            } else {
                args.push(option.name, input.value);
            }
        }
        return { args, input: secrets.map((s) => s + "\n").join("") };
    }

    // Shows each refusal next to the field its option names; the rest above the buttons.
    function showRefusals(reasons) {
        for (const node of $("form-inputs").querySelectorAll(".field-error"))
            show(node, "");
        const general = [];
        for (const reason of reasons) {
            const match = /^(--[a-z-]+): /.exec(reason);
            const slot = match && $("form-inputs").querySelector(
                '.field-error[data-for="' + CSS.escape(match[1]) + '"]');
            if (slot)
                show(slot, reason.slice(match[0].length));
            else
                general.push(reason);
        }
        show($("form-error"), general.join("\n"));
    }

    async function submitForm(event) {
        event.preventDefault();
        const form = $("form");
        if (form.dataset.state === "busy")
            return;
        form.dataset.state = "busy";
        const command = formCommand();
        const name = $("opt-name").value;
        const result = await vxcfg(command.args, { global: ["--check", "--diff"], input: command.input });
        if (checkRefused(result)) {
            showRefusals(reasonsOf(result));
            form.dataset.state = "refused";
            return;
        }
        showRefusals([]);
        form.dataset.state = "checked";
        form.hidden = true;
        // The secrets live on only in what Apply runs.
        for (const input of $("form-inputs").querySelectorAll('input[type="password"]'))
            input.value = "";
        showPlan(state.mode + " " + name, state.mode === "add" ? "Add " + name : "Change " + name,
                 result, command.args, command.input, name);
    }

    // ---- check first, then apply ----

    function diffView(text) {
        return el("pre", { className: "diff" }, text.split("\n").map((line) => el("span", {
            className: line.startsWith("@@") ? "hunk"
                : line.startsWith("+++") || line.startsWith("---") ? "head"
                : line.startsWith("+") ? "add"
                : line.startsWith("-") ? "del" : null,
        }, line + "\n")));
    }

    // The files, services and commands of a change report (vxcfg's --check or verify data).
    function changesView(doc) {
        const parts = [];
        for (const file of doc.files || []) {
            const modeChanged = file.mode_before && file.mode_after && file.mode_before !== file.mode_after;
            const mode = file.mode || (modeChanged ? file.mode_before + " \u2192 " + file.mode_after : "");
            const owner = file.owner_before ? file.owner_before + " \u2192 " + file.owner_after : "";
            const attrs = { className: "file", dataset: { path: file.path, action: file.action } };
            parts.push(el("details", Object.assign(attrs, { open: !!file.diff }),
                el("summary", null, el("span", { className: "verb" }, file.action), " ", file.path,
                   mode ? " (" + mode + ")" : "", owner ? " (owner " + owner + ")" : ""),
                file.diff ? diffView(file.diff) : null));
        }
        const services = (doc.services || []).map((s) =>
            el("li", { dataset: { service: s.name } },
               s.action + " " + s.name + (s.port ? " " + s.port : "")));
        if (services.length)
            parts.push(el("h3", null, "Services"), el("ul", { className: "services" }, services));
        const commands = (doc.commands || []).map((c) => el("li", null, el("code", null, c)));
        if (commands.length)
            parts.push(el("h3", null, "Commands"), el("ul", { className: "commands" }, commands));
        return parts;
    }

    let pending = null; // what Apply runs

    function showPlan(job, title, result, args, input, name) {
        hideSide();
        const plan = $("plan");
        plan.hidden = false;
        $("plan-title").textContent = title;
        const doc = result.doc;
        const count = doc.files.length + doc.services.length + doc.commands.length;
        $("plan-summary").textContent = count
            ? "This would change " + count + " thing" + (count === 1 ? "" : "s") +
              ". Nothing has changed yet."
            : "Nothing would change.";
        $("plan-changes").replaceChildren(...changesView(doc));
        show($("plan-error"), [...doc.msg, ...(doc.outcome_known ? [] : [
            "The commands were not run, so the check cannot tell how they would end."])].join("\n"));
        const action = ACTIONS[job.split(" ")[0]];
        const confirm = !!(action && action.confirm);
        $("confirm").hidden = !confirm;
        $("confirm-label").textContent = "Type " + name + " to delete it";
        $("confirm-name").value = "";
        $("apply").disabled = confirm;
        pending = { job, title, args, input, name, confirm };
        plan.dataset.state = "checked";
    }

    async function checkAction(kind) {
        const name = state.selected;
        const action = ACTIONS[kind];
        hideSide();
        const plan = $("plan");
        plan.hidden = false;
        plan.dataset.state = "checking";
        $("plan-title").textContent = action.label + (action.all ? " (every instance)" : " " + name);
        $("plan-summary").textContent = "Checking what this would change\u2026";
        $("plan-changes").replaceChildren();
        $("confirm").hidden = true;
        $("apply").disabled = true;
        show($("plan-error"), "");
        const args = action.args(name);
        const result = await vxcfg(args, { global: ["--check", "--diff"] });
        if (checkRefused(result)) {
            $("plan-summary").textContent = "The check failed; nothing was changed.";
            show($("plan-error"), reasonsOf(result).join("\n"));
            plan.dataset.state = "failed";
            return;
        }
        showPlan(action.all ? kind : kind + " " + name, $("plan-title").textContent, result, args, "", name);
    }

    // Runs what the plan checked, as a job that goes on while the user looks elsewhere.
    function apply() {
        if (!pending || (pending.confirm && $("confirm-name").value !== pending.name))
            return;
        const { job, title, args, input } = pending;
        pending = null;
        hideSide();
        const log = el("pre", { className: "log" });
        const outcome = el("ul", { className: "outcome" });
        const status = el("span", { className: "status" }, "running");
        const item = el("li", { className: "job", dataset: { job, state: "running", id: ++state.jobs } },
            el("div", { className: "job-head" }, el("strong", null, title), " ", status), log, outcome);
        $("jobs").prepend(item);
        vxcfg(args, { input, onLine: (line) => log.append(line + "\n") }).then(async (result) => {
            const bad = failed(result) || result.exit !== 0;
            const lines = bad ? reasonsOf(result) : [doneLine(result.doc)];
            outcome.replaceChildren(...lines.map((r) => el("li", { className: bad ? "error" : null }, r)));
            status.textContent = bad ? "failed" : "done";
            // The list and the fields show what the job left; a panel the user opened meanwhile
            // stays as it is.
            await loadList();
            if (state.selected)
                await loadDetail(state.selected);
            item.dataset.state = bad ? "failed" : "done";
        });
    }

    function doneLine(doc) {
        const counted = [[doc.files, "file"], [doc.services, "service"], [doc.commands, "command"]]
            .filter(([items]) => items.length)
            .map(([items, noun]) => items.length + " " + noun + (items.length === 1 ? "" : "s"));
        return counted.length ? "Done: " + counted.join(", ") + " changed or run." : "Done.";
    }

    async function verifyInstance() {
        const name = state.selected;
        hideSide();
        const panel = $("verify");
        panel.hidden = false;
        panel.dataset.state = "checking";
        $("verify-title").textContent = "Verify " + name;
        $("verify-summary").textContent = "Comparing the installed files with the record\u2026";
        $("verify-changes").replaceChildren();
        const result = await vxcfg(["verify", "--diff", name]);
        const drift = result.doc && result.doc.data.find((d) => d.instance === name);
        if (!drift) {
            $("verify-summary").textContent = reasonsOf(result).join("\n");
            panel.dataset.state = "failed";
            return;
        }
        const boot = drift.boot && !drift.boot.in_sync
            ? [el("p", null, "Boot registration: " + (drift.boot.registered
                ? "registered, not as the record gives" : "not registered"))]
            : [];
        $("verify-summary").textContent = drift.in_sync
            ? "In sync: the installed files are what the record gives."
            : "Drifted: these differ from what the record gives (each diff goes from what is " +
              "installed to what the record gives).";
        $("verify-changes").replaceChildren(...changesView(drift), ...boot);
        panel.dataset.state = drift.in_sync ? "in-sync" : "drifted";
        setCell(name, "sync", drift.in_sync ? "in sync" : "drifted", drift.in_sync ? "in sync" : "drifted");
    }

    // ---- wiring ----

    function useRoot(event) {
        if (event)
            event.preventDefault();
        state.root = $("root").value.trim() || "/";
        $("root").value = state.root;
        localStorage.setItem(ROOT_KEY, state.root);
        state.options = null;
        closeDetail();
        hideSide();
        loadList();
    }

    document.addEventListener("DOMContentLoaded", () => {
        $("root").value = localStorage.getItem(ROOT_KEY) || "/";
        $("root-form").addEventListener("submit", useRoot);
        $("reload").addEventListener("click", () => loadList());
        $("add").addEventListener("click", () => openForm("add"));
        $("form-fields").addEventListener("submit", submitForm);
        $("form-cancel").addEventListener("click", hideSide);
        $("plan-cancel").addEventListener("click", hideSide);
        $("apply").addEventListener("click", apply);
        $("confirm-name").addEventListener("input", () => {
            $("apply").disabled = !pending || $("confirm-name").value !== pending.name;
        });
        for (const button of document.querySelectorAll("#detail [data-action]")) {
            const kind = button.dataset.action;
            button.addEventListener("click", () =>
                kind === "edit" ? openForm("set") : kind === "verify" ? verifyInstance() : checkAction(kind));
        }
        // The web console asks sudo on the page's behalf; the answer decides what is offered.
        const permission = cockpit.permission({ admin: true });
        const start = () => {
            state.admin = permission.allowed === true;
            setAccess();
            useRoot();
        };
        permission.addEventListener("changed", start);
        if (permission.allowed !== null)
            start();
    });
}());
