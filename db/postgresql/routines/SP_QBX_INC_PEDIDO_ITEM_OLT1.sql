-- Adds an item to an order and answers its new key; the same effect as the
-- embedded procedure of this name, keys drawn as for orders.
CREATE FUNCTION SP_QBX_INC_PEDIDO_ITEM_OLT1(in_embarque timestamp, in_peca numeric, in_pedido numeric,
                                            in_quantidade numeric, in_empresa numeric, in_usuario numeric)
    RETURNS TABLE ("RETORNO" integer, "MSG_RET" text, "PEDIDO_ITEM_ID" integer) LANGUAGE plpgsql AS $$
DECLARE
    v_peca integer := Infra_Inteiro(in_peca);
    v_pedido integer := Infra_Inteiro(in_pedido);
    v_quantidade integer := Infra_Inteiro(in_quantidade);
    v_empresa integer := Infra_Inteiro(in_empresa);
    v_usuario integer := Infra_Inteiro(in_usuario);
    v_chave integer;
BEGIN
    IF v_usuario IS NOT NULL THEN
        UPDATE Infra_Chave SET ULTIMO_VALOR = ULTIMO_VALOR + 1 WHERE NOME_COLUNA = 'PEDIDO_ITEM_ID'
        RETURNING ULTIMO_VALOR INTO v_chave;
    END IF;
    IF v_chave IS NULL OR EXISTS (SELECT 1 FROM PEDIDO_ITEM WHERE PEDIDO_ITEM.PEDIDO_ITEM_ID = v_chave) THEN
        RETURN QUERY SELECT 1, 'Não foi possível gerar a chave PEDIDO_ITEM_ID.'::text, 0;
        RETURN;
    END IF;
    INSERT INTO PEDIDO_ITEM (PEDIDO_ITEM_ID, DATA_EMBARQUE, PECA_ID, PEDIDO_ID, QTDE_PEDIDA, TAB_STATUS_ID)
    VALUES (v_chave, in_embarque, v_peca, v_pedido, v_quantidade, 509);
    INSERT INTO Infra_Operacao (ENTIDADE_ID, OPERACAO, USUARIO_ID, CHAVE, DATA_HORA)
    VALUES (260, 1, v_usuario, v_chave, getdate());
    RETURN QUERY SELECT 0, ''::text, v_chave;
END
$$;
